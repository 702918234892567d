// The engine tool's notation: cells, records with passes, and rejected records.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "notation.h"
#include "positions.h"

TEST(Notation, CellsRoundTrip) {
  EXPECT_EQ(FormatCell({2, 3}), "c4");
  EXPECT_EQ(FormatCell({0, 0}), "a1");
  EXPECT_EQ(FormatCell({7, 7}), "h8");
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) EXPECT_EQ(ParseCell(FormatCell({x, y})), (CellPos{x, y}));
  for (const char* bad : {"", "c", "c44", "i1", "a0", "a9", "C4", "4c", "pass"})
    EXPECT_FALSE(ParseCell(bad)) << bad;
}

// Random games, passes included, written as records and played back.
TEST(Notation, RecordsRoundTripThroughWholeGames) {
  std::mt19937 random(42);
  Board board(0, 0), replay(0, 0);
  int passes = 0;
  for (int game = 0; game < 150; ++game) {
    board.Reset();
    for (Turn turn; (turn = TurnOf(board)) != Turn::kGameOver;) {
      if (turn == Turn::kPass) {
        board.Pass();
        ++passes;
      } else {
        const std::vector<CellPos> legal = LegalCells(board, board.SideToMove());
        const CellPos c = legal[random() % legal.size()];
        board.Place(c.x, c.y, board.SideToMove());
      }
      const std::string record = RecordOf(board);
      ASSERT_FALSE(PlayRecord(replay, record)) << record;
      ASSERT_EQ(replay.GetMoveCount(), board.GetMoveCount());
      ASSERT_EQ(RecordOf(replay), record);
      for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y) ASSERT_EQ(replay.GetCell(x, y), board.GetCell(x, y));
    }
    // Nothing may follow the end of the game.
    const auto error = PlayRecord(replay, RecordOf(board) + " pass");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->reason, "the game has already ended");
  }
  EXPECT_GT(passes, 10);
}

TEST(Notation, RejectedRecordsNameTheMove) {
  Board board(0, 0);
  struct Case {
    const char* record;
    int moveNumber;
    const char* move;
  } cases[] = {
      {"c4 c4", 2, "c4"},        // occupied
      {"c4 a1", 2, "a1"},        // closes no line
      {"pass", 1, "pass"},       // Black can place
      {"c4 z9", 2, "z9"},        // not a cell
      {"c4  d3", 2, ""},         // two spaces
      {" c4", 1, ""},            // leading space
      {"c4 d3 ", 3, ""},         // trailing space
      {"c4,d3", 1, "c4,d3"},     // wrong separator
      {"C4", 1, "C4"},           // upper case
  };
  for (const Case& c : cases) {
    const auto error = PlayRecord(board, c.record);
    ASSERT_TRUE(error) << c.record;
    EXPECT_EQ(error->moveNumber, c.moveNumber) << c.record;
    EXPECT_EQ(error->move, c.move) << c.record;
  }
  EXPECT_FALSE(PlayRecord(board, ""));
  EXPECT_EQ(board.GetMoveCount(), 0);
  EXPECT_FALSE(PlayRecord(board, "c4 d3"));
  EXPECT_EQ(board.GetMoveCount(), 2);
  EXPECT_EQ(board.GetCell(3, 2), White());
}

// Where the side to move has no placement (found in random play) the record must
// pass: every empty cell is rejected there and the pass is accepted.
TEST(Notation, PassIsRequiredExactlyWhenNoPlacementIsLegal) {
  std::mt19937 random(9);
  Board board(0, 0), replay(0, 0);
  int checked = 0;
  for (int game = 0; game < 200 && checked < 10; ++game) {
    board.Reset();
    for (Turn turn; (turn = TurnOf(board)) != Turn::kGameOver;) {
      if (turn == Turn::kPass) {
        const std::string record = RecordOf(board) + " ";
        for (int x = 0; x < 8; ++x)
          for (int y = 0; y < 8; ++y)
            if (!board.GetCell(x, y)) {
              const auto error = PlayRecord(replay, record + FormatCell({x, y}));
              ASSERT_TRUE(error);
              EXPECT_EQ(error->reason.rfind("not a legal placement", 0), 0u);
            }
        EXPECT_FALSE(PlayRecord(replay, record + "pass"));
        ++checked;
        board.Pass();
        continue;
      }
      const std::vector<CellPos> legal = LegalCells(board, board.SideToMove());
      const CellPos c = legal[random() % legal.size()];
      board.Place(c.x, c.y, board.SideToMove());
    }
  }
  EXPECT_GE(checked, 10);
}

TEST(BenchPositions, BuiltInSetCoversTheMoveCountsAndEarlierPasses) {
  Board board(0, 0);
  std::vector<int> perCount(60);
  int afterPasses = 0;
  for (const std::string& record : BuiltInPositions()) {
    ASSERT_FALSE(PlayRecord(board, record)) << record;
    ASSERT_EQ(TurnOf(board), Turn::kPlace) << record;
    ++perCount[board.GetMoveCount()];
    afterPasses += board.GetMoveCount() > static_cast<int>(board.GetHistory().size());
  }
  for (int count = 0; count < 60; ++count) EXPECT_GT(perCount[count], 0) << "move count " << count;
  for (int count : {44, 45, 46}) EXPECT_GE(perCount[count], 10) << "move count " << count;
  EXPECT_GE(afterPasses, 8);
}

// A whole game starts at the opening, and each position is the one before with
// the moves played since, passes included, so that searching them in order is
// playing the game.
TEST(BenchPositions, WholeGamesRunFromTheOpeningInOrder) {
  Board board(0, 0);
  for (int game = 1; game <= 20; ++game) {
    const std::vector<std::string> records = WholeGame(game);
    ASSERT_GE(records.size(), 30u);
    EXPECT_EQ(records.front(), "");
    for (std::size_t i = 0; i < records.size(); ++i) {
      ASSERT_FALSE(PlayRecord(board, records[i])) << records[i];
      ASSERT_EQ(TurnOf(board), Turn::kPlace) << records[i];
      if (i == 0) continue;
      // One placement more, and the passes of a side that could not place.
      EXPECT_EQ(records[i].rfind(records[i - 1], 0), 0u) << records[i];
      std::istringstream added(records[i].substr(records[i - 1].size()));
      int placements = 0;
      for (std::string move; added >> move;) placements += move != "pass";
      EXPECT_EQ(placements, 1) << records[i];
    }
  }
  EXPECT_NE(WholeGame(1), WholeGame(2));
}
