// The fast search against the board and against the plain search it replaces:
// move generation and turned stones, perft, and the choices and root scores.
#include <gtest/gtest.h>

#include "board_testing.h"
#include "players/alpha_com.h"
#include "players/hex_bitboard.h"

namespace {

hex::Bits LegalBits(const Board& board, const Color* color) {
  hex::Bits bits = 0;
  for (const CellPos c : LegalCells(board, color)) bits |= hex::BitOf(c.x, c.y);
  return bits;
}

int PassesIn(const Board& board) { return board.GetMoveCount() - static_cast<int>(board.GetHistory().size()); }

}  // namespace

TEST(HexBitboard, ShiftsFollowTheStepTables) {
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) {
      const hex::Bits b = hex::BitOf(x, y);
      const hex::Bits shifted[kDirectionCount] = {hex::Shift<kLeft>(b),     hex::Shift<kRight>(b),
                                                  hex::Shift<kUpLeft>(b),   hex::Shift<kDownLeft>(b),
                                                  hex::Shift<kUpRight>(b),  hex::Shift<kDownRight>(b)};
      for (int d = 0; d < kDirectionCount; ++d) {
        int nx = x, ny = y;
        StepForward(nx, ny, d);
        EXPECT_EQ(shifted[d], InBoard(nx, ny) ? hex::BitOf(nx, ny) : 0) << x << "," << y << " d" << d;
      }
    }
}

// Over whole random games, passes included: the legal cells of both colours and
// the stones every placement turns are those of the board.
TEST(HexBitboard, MovesAndFlipsAgreeWithTheBoard) {
  std::mt19937 random(31);
  for (int game = 0; game < 200; ++game) {
    Board board(0, 0);
    do {
      for (const Color* color : {Black(), White()}) {
        const hex::Bits mine = hex::StonesOf(board, color), theirs = hex::StonesOf(board, Opposite(color));
        ASSERT_EQ(hex::Moves(mine, theirs), LegalBits(board, color));
        for (const CellPos c : LegalCells(board, color)) {
          const hex::Bits flips = hex::Flips(mine, theirs, hex::SquareOf(c.x, c.y));
          ASSERT_EQ(std::popcount(flips), board.CountFlips(c.x, c.y, color));
          board.Place(c.x, c.y, color);
          ASSERT_EQ(hex::StonesOf(board, color), mine | flips | hex::BitOf(c.x, c.y));
          board.Undo();
        }
      }
    } while (PlayRandomMove(board, random));
  }
}

TEST(HexBitboard, PerftMatchesTheFrozenCounts) {
  const std::uint64_t expected[] = {4, 12, 44, 160, 724, 3332, 17528, 95962, 576566};
  const hex::Bits black = hex::BitOf(4, 3) | hex::BitOf(3, 4), white = hex::BitOf(3, 3) | hex::BitOf(4, 4);
  for (int depth = 1; depth <= 9; ++depth) EXPECT_EQ(hex::Perft(black, white, depth), expected[depth - 1]);
}

// The fast search and the plain one agree on the choice and on every root score,
// at every move count, for both colours, after earlier passes, with the player's
// colour to move and not, at depths reaching leaves at every kind of node and
// searches to the end. The positions run in game order so that the shared table
// carries bounds from one search into the next, for other depths and colours.
TEST(AlphaSearch, AgreesWithThePlainSearch) {
  std::mt19937 random(4242);
  std::vector<int> perCount(64);  // passes can take the count past 60
  int withPasses = 0, otherColour = 0, toTheEnd = 0, deeper = 0;
  for (int game = 0; game < 40; ++game) {
    Board board(0, 0);
    do {
      const Color* side = board.SideToMove();
      if (LegalCells(board, side).empty()) continue;
      const int empties = 60 - static_cast<int>(board.GetHistory().size());
      const BoardSnapshot before(board);
      for (int round = 0; round < 2; ++round) {
        const Color* player = round == 1 && game % 4 == 0 ? Opposite(side) : side;
        // Mostly shallow, now and then past the depth that orders the root, and to
        // the end where the plain search can afford it.
        int depth = 1 + (game + round + board.GetMoveCount()) % 3;
        if (round == 1 && (game + board.GetMoveCount()) % 32 == 0) depth = 5;
        if (round == 1 && empties <= 9) depth = AlphaCom::kEndgameDepth;
        AlphaCom alpha(&board, player);
        const auto plain = alpha.PlainRootScores(depth);
        ASSERT_EQ(alpha.RootScores(depth), plain) << "move count " << board.GetMoveCount() << " depth " << depth;
        ASSERT_EQ(alpha.Choose(depth), alpha.PlainChoose(depth));
        ASSERT_EQ(BoardSnapshot(board), before);
        otherColour += player != side;
        toTheEnd += depth == AlphaCom::kEndgameDepth;
        deeper += depth == 5;
      }
      ++perCount[board.GetMoveCount()];
      withPasses += PassesIn(board) > 0;
    } while (PlayRandomMove(board, random));
  }
  for (int count = 0; count < 60; ++count) EXPECT_GT(perCount[count], 0) << "move count " << count;
  EXPECT_GT(withPasses, 5);
  EXPECT_GT(otherColour, 100);
  EXPECT_GT(toTheEnd, 100);
  EXPECT_GT(deeper, 40);
}

// The last few empty cells are solved by dedicated code, tried in another order
// than the plain search's: over thousands of endings, with the player's colour
// to move and not, after passes (which move the count past 60 earlier) and with
// lines that end early when a side cannot place.
TEST(AlphaSearch, SolvesTheLastEmptyCellsAsThePlainSearch) {
  std::mt19937 random(5150);
  int checked = 0, withPasses = 0;
  for (int game = 0; game < 300; ++game) {
    Board board(0, 0);
    do {
      const int empties = 60 - static_cast<int>(board.GetHistory().size());
      if (empties > 7 || LegalCells(board, board.SideToMove()).empty()) continue;
      for (const Color* player : {Black(), White()}) {
        AlphaCom alpha(&board, player);
        ASSERT_EQ(alpha.RootScores(AlphaCom::kEndgameDepth), alpha.PlainRootScores(AlphaCom::kEndgameDepth))
            << "game " << game << " move count " << board.GetMoveCount();
        ASSERT_EQ(alpha.Choose(AlphaCom::kEndgameDepth), alpha.PlainChoose(AlphaCom::kEndgameDepth));
        ++checked;
      }
      withPasses += PassesIn(board) > 0;
    } while (PlayRandomMove(board, random));
  }
  EXPECT_GT(checked, 3000);
  EXPECT_GT(withPasses, 100);
}

// Under NextMove's own depth rule, where the plain search is quick enough: depth
// 7 just before the switch, and to the end with at most eleven empty cells.
TEST(AlphaSearch, AgreesWithThePlainSearchUnderTheRealDepths) {
  std::mt19937 random(77);
  int checked = 0;
  for (int game = 0; game < 12; ++game) {
    Board board(0, 0);
    PlayRandomGameTo(board, random, game < 3 ? 44 : 49 + game % 4);
    if (LegalCells(board, board.SideToMove()).empty()) continue;
    AlphaCom alpha(&board, board.SideToMove());
    const int depth = AlphaCom::DepthFor(board.GetMoveCount());
    const BoardSnapshot before(board);
    EXPECT_EQ(alpha.RootScores(depth), alpha.PlainRootScores(depth)) << "move count " << board.GetMoveCount();
    EXPECT_EQ(alpha.NextMove(), alpha.PlainChoose(depth));
    EXPECT_EQ(BoardSnapshot(board), before);
    ++checked;
  }
  EXPECT_GE(checked, 10);
}

// Passes have no bound on the board, and after hundreds of them the move count
// differs while the stones are the same: such a position, searched after the one
// without the passes has filled the shared table, must still score as the plain
// search scores it (stones counted, and the other side to move after an odd count).
TEST(AlphaSearch, AgreesWithThePlainSearchAfterHundredsOfPasses) {
  std::mt19937 random(808);
  for (int game = 0; game < 6; ++game) {
    Board board(0, 0);
    PlayRandomGameTo(board, random, 16 + 4 * game);
    int passes = 0;
    for (const int total : {0, 255, 256, 512}) {
      for (; passes < total; ++passes) board.Pass();
      if (LegalCells(board, board.SideToMove()).empty()) continue;
      for (const Color* player : {Black(), White()})
        for (const int depth : {3, 4}) {
          AlphaCom alpha(&board, player);
          ASSERT_EQ(alpha.RootScores(depth), alpha.PlainRootScores(depth))
              << "game " << game << " passes " << passes << " depth " << depth;
          ASSERT_EQ(alpha.Choose(depth), alpha.PlainChoose(depth)) << "game " << game << " passes " << passes;
        }
    }
  }
}
