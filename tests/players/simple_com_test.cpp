// RandomCom and MaxCom: the corner rule, the candidate lists, the draw and the pause.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "board_testing.h"
#include "kernel_testing.h"
#include "players/max_com.h"
#include "players/random_com.h"

namespace {

constexpr bool Corner(CellPos c) { return (c.x == 0 || c.x == 7) && (c.y == 0 || c.y == 7); }

// Sleep returns at once and is recorded while a test of this fixture runs.
class SimpleComTest : public ::testing::Test {
 protected:
  void SetUp() override { winapi::SetSleepRecording(true); }
  void TearDown() override { winapi::SetSleepRecording(false); }
};

// The value the next rand() will return after srand(seed); reseeds so that it is.
unsigned NextRand(unsigned seed) {
  std::srand(seed);
  const unsigned r = static_cast<unsigned>(std::rand());
  std::srand(seed);
  return r;
}

std::vector<CellPos> MostFlipping(const Board& board, const Color* color) {
  std::vector<CellPos> best;
  int most = 0;
  for (const CellPos c : LegalCells(board, color)) {
    const int flips = board.CountFlips(c.x, c.y, color);
    if (flips > most) best.clear(), most = flips;
    if (flips == most) best.push_back(c);
  }
  return best;
}

// Calls visit on the positions of seeded random games, before every placement,
// with the side to move to choose.
void ForEachPosition(int games, unsigned seed, const std::function<void(Board&)>& visit) {
  std::mt19937 random(seed);
  for (int game = 0; game < games; ++game) {
    Board board(0, 0);
    do visit(board);
    while (PlayRandomMove(board, random));
  }
}

}  // namespace

TEST_F(SimpleComTest, OpeningDrawsAmongTheFourCellsOfBlackAfterThePause) {
  const std::vector<CellPos> opening = {{2, 3}, {3, 5}, {4, 2}, {5, 4}};
  Board board(0, 0);
  std::unique_ptr<ICom> players[] = {std::make_unique<RandomCom>(&board, Black()),
                                     std::make_unique<MaxCom>(&board, Black())};
  for (auto& player : players)
    for (unsigned seed = 1; seed <= 8; ++seed) {
      const unsigned r = NextRand(seed);
      EXPECT_EQ(player->NextMove(), opening[r % 4]) << player->GetName() << " seed " << seed;
      EXPECT_EQ(winapi::TakeRecordedSleeps(), std::vector<DWORD>{300});
    }
}

// Over many positions: a legal corner comes at once, the first in scan order;
// otherwise the draw indexes the expected candidate list after one pause of 300 ms.
TEST_F(SimpleComTest, CornerRuleAndCandidateListsOverRandomGames) {
  int cornerTakes = 0, cornerBeatsMoreFlips = 0, twoCorners = 0, maxTies = 0, draws = 0;
  unsigned seed = 1;
  ForEachPosition(60, 99, [&](Board& board) {
    const Color* side = board.SideToMove();
    const std::vector<CellPos> legal = LegalCells(board, side);
    if (legal.empty()) return;
    const BoardSnapshot before(board);
    RandomCom random(&board, side);
    MaxCom max(&board, side);

    CellPos corner{-1, -1};
    for (const CellPos c : legal)
      if (Corner(c)) {
        corner = c;
        break;
      }
    if (corner.x >= 0) {
      ++cornerTakes;
      twoCorners += std::count_if(legal.begin(), legal.end(), Corner) > 1;
      for (const CellPos c : legal)
        if (c.x * 8 + c.y < corner.x * 8 + corner.y &&
            board.CountFlips(c.x, c.y, side) > board.CountFlips(corner.x, corner.y, side))
          ++cornerBeatsMoreFlips;
      const unsigned r = NextRand(++seed);
      EXPECT_EQ(random.NextMove(), corner);
      EXPECT_EQ(max.NextMove(), corner);
      EXPECT_TRUE(winapi::TakeRecordedSleeps().empty()) << "no pause when a corner is taken";
      EXPECT_EQ(static_cast<unsigned>(std::rand()), r) << "no random draw when a corner is taken";
    } else {
      const std::vector<CellPos> most = MostFlipping(board, side);
      maxTies += most.size() > 1;
      ++draws;
      unsigned r = NextRand(++seed);
      EXPECT_EQ(random.NextMove(), legal[r % legal.size()]);
      r = NextRand(++seed);
      EXPECT_EQ(max.NextMove(), most[r % most.size()]);
      EXPECT_EQ(winapi::TakeRecordedSleeps(), (std::vector<DWORD>{300, 300}));
    }
    ASSERT_EQ(BoardSnapshot(board), before) << "the simple players only read the board";
  });
  // The games must actually reach the cases above.
  EXPECT_GT(cornerTakes, 20);
  EXPECT_GT(cornerBeatsMoreFlips, 0);
  EXPECT_GT(twoCorners, 0);
  EXPECT_GT(maxTies, 100);
  EXPECT_GT(draws, 1000);
}

// The players test with their own colour field, not the side to move.
TEST_F(SimpleComTest, PlayersUseTheirColourField) {
  Board board(0, 0);  // Black to move; White's cells are (2,4), (2,5), (5,2), (5,3)
  const std::vector<CellPos> white = {{2, 4}, {2, 5}, {5, 2}, {5, 3}};
  RandomCom random(&board, White());
  MaxCom max(&board, White());
  const unsigned r = NextRand(5);
  EXPECT_EQ(random.NextMove(), white[r % 4]);
  NextRand(5);
  EXPECT_EQ(max.NextMove(), white[r % 4]);
  const std::vector<CellPos> black = {{2, 3}, {3, 5}, {4, 2}, {5, 4}};
  random.SetColor(Black());
  max.SetColor(Black());
  NextRand(5);
  EXPECT_EQ(random.NextMove(), black[r % 4]);
  NextRand(5);
  EXPECT_EQ(max.NextMove(), black[r % 4]);
}

// A colour without a legal placement. RandomCom, mended: its candidate list would
// be empty and the draw would divide by zero, so it answers (-1, -1) at once.
// MaxCom as written: every cell ties the starting best of 0, so after the pause
// it draws among all 64 cells in scan order, occupied ones included.
TEST_F(SimpleComTest, WithoutLegalPlacement) {
  int checked = 0;
  unsigned seed = 11;
  ForEachPosition(200, 3, [&](Board& board) {
    for (const Color* color : {Black(), White()}) {
      if (!LegalCells(board, color).empty()) continue;
      ++checked;
      RandomCom random(&board, color);
      unsigned r = NextRand(++seed);
      EXPECT_EQ(random.NextMove(), (CellPos{-1, -1}));
      EXPECT_TRUE(winapi::TakeRecordedSleeps().empty());
      EXPECT_EQ(static_cast<unsigned>(std::rand()), r) << "no random draw";

      MaxCom max(&board, color);
      r = NextRand(seed);
      const int index = static_cast<int>(r % kCellCount);
      EXPECT_EQ(max.NextMove(), (CellPos{index / kBoardSize, index % kBoardSize})) << "draw " << r;
      EXPECT_EQ(winapi::TakeRecordedSleeps(), std::vector<DWORD>{300});
    }
  });
  EXPECT_GT(checked, 100);
}

TEST(SleepRecording, RecordsInsteadOfWaitingOnlyWhileOn) {
  winapi::SetSleepRecording(true);
  const DWORD start = GetTickCount();
  Sleep(300);
  Sleep(5000);
  EXPECT_EQ(winapi::TakeRecordedSleeps(), (std::vector<DWORD>{300, 5000}));
  EXPECT_TRUE(winapi::TakeRecordedSleeps().empty()) << "taking empties the record";
  EXPECT_LT(GetTickCount() - start, 1000u);
  winapi::SetSleepRecording(false);

  const DWORD before = GetTickCount();
  Sleep(30);
  const DWORD waited = GetTickCount() - before;
  EXPECT_GE(waited, 29u);  // tick granularity may round the start up
  EXPECT_TRUE(winapi::TakeRecordedSleeps().empty());
}
