// AlphaCom: the worked examples, the evaluation, the depth rule, and agreement
// with a plain minimax without cut-offs written here under the same rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "board_testing.h"
#include "kernel_testing.h"
#include "players/alpha_com.h"

namespace {

using RootScores = std::vector<AlphaCom::RootScore>;

}  // namespace

void PrintTo(const AlphaCom::RootScore& s, std::ostream* out) {
  *out << "(" << s.cell.x << "," << s.cell.y << "):" << s.score;
}

namespace {

// The player's own stones only: weights from the table as printed (row x, column y).
int ReferenceEvaluate(const Board& board, const Color* player) {
  static const int kTable[8][8] = {
      {30, -12, 0, -1, -1, 0, -12, 30},  {-12, -1, -3, -3, -3, -3, -15, -12}, {15, -5, 0, -1, -1, 0, -5, 15},
      {-6, -5, -1, 1, 1, -1, -5, -6},    {15, -5, -1, 1, 1, -1, -5, 15},      {-6, -5, 0, -1, -1, 0, -5, -6},
      {15, -15, -3, -3, -3, -3, -1, 15}, {30, -12, 0, -1, -1, 0, -12, 30},
  };
  int sum = 0;
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y)
      if (board.GetCell(x, y) == player) sum += board.GetMoveCount() >= 60 ? 1 : kTable[x][y];
  return sum;
}

// Minimax without cut-offs: no passes, the evaluation at depth 0 and wherever the
// side to move cannot place.
int Minimax(Board& board, const Color* player, int depth) {
  if (depth == 0) return ReferenceEvaluate(board, player);
  const Color* side = board.SideToMove();
  const std::vector<CellPos> legal = LegalCells(board, side);
  if (legal.empty()) return ReferenceEvaluate(board, player);
  int best = side == player ? -2000000000 : 2000000000;
  for (const CellPos c : legal) {
    board.Place(c.x, c.y, side);
    const int v = Minimax(board, player, depth - 1);
    board.Undo();
    best = side == player ? std::max(best, v) : std::min(best, v);
  }
  return best;
}

RootScores MinimaxRoot(Board& board, const Color* player, int depth) {
  RootScores scores;
  for (const CellPos c : LegalCells(board, board.SideToMove())) {
    board.Place(c.x, c.y, board.SideToMove());
    scores.push_back({c, Minimax(board, player, depth)});
    board.Undo();
  }
  return scores;
}

CellPos FirstGreatest(const RootScores& scores) {
  CellPos choice{-1, -1};
  int best = -1000000000;
  for (const auto& s : scores)
    if (s.score > best) best = s.score, choice = s.cell;
  return choice;
}

void PlayLine(Board& board, const std::vector<CellPos>& line) {
  for (const CellPos c : line) ASSERT_TRUE(board.Place(c.x, c.y, board.SideToMove())) << c.x << "," << c.y;
}

}  // namespace

TEST(AlphaCom, WeightTableIsTheAsymmetricOne) {
  EXPECT_EQ(kCellWeights[2 * 8 + 0], 15);
  EXPECT_EQ(kCellWeights[0 * 8 + 2], 0);
  EXPECT_EQ(kCellWeights[3 * 8 + 0], -6);
  EXPECT_EQ(kCellWeights[0 * 8 + 3], -1);
  EXPECT_EQ(kCellWeights[1 * 8 + 6], -15);
  EXPECT_EQ(kCellWeights[6 * 8 + 1], -15);
  for (int i : {0, 7, 56, 63}) EXPECT_EQ(kCellWeights[i], 30);
  EXPECT_EQ(*std::max_element(std::begin(kCellWeights), std::end(kCellWeights)), 30);
  EXPECT_EQ(*std::min_element(std::begin(kCellWeights), std::end(kCellWeights)), -15);
}

TEST(AlphaCom, EvaluateWeighsOwnStonesThenCountsThemFromMoveCount60) {
  std::mt19937 random(5);
  int counted = 0, countedWithEmpties = 0;
  for (int game = 0; game < 40; ++game) {
    Board board(0, 0);
    do {
      for (const Color* player : {Black(), White()}) {
        AlphaCom alpha(&board, player);
        ASSERT_EQ(alpha.Evaluate(), ReferenceEvaluate(board, player));
      }
      if (board.GetMoveCount() >= 60) {
        ++counted;
        countedWithEmpties += board.GetHistory().size() < 60;
      }
    } while (PlayRandomMove(board, random));
  }
  EXPECT_GT(counted, 10);
  EXPECT_GT(countedWithEmpties, 0) << "move count 60 reached through passes, cells still empty";

  Board board(0, 0);
  EXPECT_EQ(AlphaCom(&board, Black()).Evaluate(), 2);  // (4,3) and (3,4) weigh 1 each
  board.Place(2, 3, Black());                          // c4: (2,3) weighs -1, (3,3) turns
  EXPECT_EQ(AlphaCom(&board, Black()).Evaluate(), 2);
  EXPECT_EQ(AlphaCom(&board, White()).Evaluate(), 1);
}

TEST(AlphaCom, DepthSwitchesBetweenMoveCounts44And45) {
  EXPECT_EQ(AlphaCom::DepthFor(0), 7);
  EXPECT_EQ(AlphaCom::DepthFor(44), 7);
  EXPECT_EQ(AlphaCom::DepthFor(45), 60);
  EXPECT_EQ(AlphaCom::DepthFor(59), 60);
}

TEST(AlphaCom, OpeningAsBlack) {
  Board board(0, 0);
  AlphaCom alpha(&board, Black());
  EXPECT_EQ(alpha.RootScores(7), (RootScores{{{2, 3}, -1}, {{3, 5}, -3}, {{4, 2}, -3}, {{5, 4}, -1}}));
  EXPECT_EQ(alpha.NextMove(), (CellPos{2, 3}));
}

TEST(AlphaCom, RepliesAsWhiteToEachFirstMove) {
  const std::pair<CellPos, CellPos> replies[] = {
      {{2, 3}, {3, 2}}, {{3, 5}, {4, 5}}, {{4, 2}, {3, 2}}, {{5, 4}, {4, 5}}};
  for (const auto& [first, reply] : replies) {
    Board board(0, 0);
    board.Place(first.x, first.y, Black());
    AlphaCom alpha(&board, White());
    EXPECT_EQ(alpha.NextMove(), reply) << "after " << first.x << "," << first.y;
    if (first == CellPos{2, 3}) {
      EXPECT_EQ(alpha.RootScores(7), (RootScores{{{2, 4}, -5}, {{3, 2}, -2}, {{5, 2}, -5}}));
    }
  }
}

TEST(AlphaCom, FirstLegalCellLineSearchedToTheEndAtMoveCount50) {
  Board board(0, 0);
  PlayLine(board, {{2, 3}, {2, 4}, {1, 5}, {1, 4}, {0, 3}, {0, 4}, {2, 5}, {0, 2}, {1, 3}, {2, 2},
                   {1, 1}, {2, 1}, {1, 2}, {0, 1}, {0, 0}, {1, 0}, {0, 5}, {0, 6}, {2, 0}, {2, 6},
                   {1, 6}, {1, 7}, {0, 7}, {3, 2}, {2, 7}, {3, 5}, {3, 1}, {3, 0}, {3, 6}, {3, 7},
                   {4, 0}, {4, 1}, {4, 2}, {4, 5}, {4, 6}, {4, 7}, {5, 0}, {5, 1}, {5, 2}, {5, 3},
                   {5, 4}, {5, 5}, {5, 6}, {6, 2}, {5, 7}, {6, 6}, {6, 0}, {6, 1}, {6, 3}, {6, 4}});
  ASSERT_EQ(board.GetMoveCount(), 50);
  AlphaCom alpha(&board, Black());
  EXPECT_EQ(alpha.RootScores(60), (RootScores{{{6, 5}, 29}, {{6, 7}, 31}, {{7, 0}, 73},
                                              {{7, 1}, 33}, {{7, 2}, 39}, {{7, 4}, 81}}));
  const BoardSnapshot before(board);
  EXPECT_EQ(alpha.NextMove(), (CellPos{7, 4}));
  EXPECT_EQ(BoardSnapshot(board), before);
}

// Root scores and choices of both searches equal the plain minimax's on random
// positions of both colours, passes included, for the side to move and for the
// other colour (whose scores the root then maximises while the other side moves),
// at depths 0 (each cell scored by the evaluation right after it) to 3, and to the
// end where few cells are empty.
TEST(AlphaCom, AgreesWithMinimaxWithoutCutOffs) {
  std::mt19937 random(2026);
  int positions = 0, withPasses = 0, otherColour = 0;
  for (int game = 0; game < 60; ++game) {
    Board board(0, 0);
    while (PlayRandomMove(board, random)) {
      if (LegalCells(board, board.SideToMove()).empty() || game % 3 != board.GetMoveCount() % 3) continue;
      const int empties = 60 - static_cast<int>(board.GetHistory().size());
      const int depth = empties <= 7 ? 60 : board.GetMoveCount() % 4;
      const Color* side = board.SideToMove();
      const Color* player = (game + board.GetMoveCount()) % 2 ? side : Opposite(side);
      AlphaCom alpha(&board, player);
      const BoardSnapshot before(board);
      const RootScores expected = MinimaxRoot(board, player, depth);
      ASSERT_EQ(alpha.PlainRootScores(depth), expected) << "move count " << board.GetMoveCount();
      ASSERT_EQ(alpha.RootScores(depth), expected) << "move count " << board.GetMoveCount();
      ASSERT_EQ(alpha.PlainChoose(depth), FirstGreatest(expected));
      ASSERT_EQ(alpha.Choose(depth), FirstGreatest(expected));
      ASSERT_EQ(BoardSnapshot(board), before);
      ++positions;
      otherColour += player != side;
      withPasses += board.GetMoveCount() > static_cast<int>(board.GetHistory().size());
    }
  }
  EXPECT_GT(positions, 300);
  EXPECT_GT(otherColour, 100);
  EXPECT_GT(withPasses, 3);
}

TEST(AlphaCom, LeavesTheBoardAsFoundAnswersTheSameWithoutPausing) {
  winapi::SetSleepRecording(true);
  std::mt19937 random(17);
  Board board(0, 0);
  PlayRandomGameTo(board, random, 20);
  AlphaCom alpha(&board, board.SideToMove());
  const BoardSnapshot before(board);
  const CellPos first = alpha.NextMove();
  EXPECT_EQ(BoardSnapshot(board), before);
  EXPECT_EQ(alpha.NextMove(), first);
  EXPECT_TRUE(board.CanPlace(first.x, first.y, board.SideToMove()));
  EXPECT_TRUE(winapi::TakeRecordedSleeps().empty());
  winapi::SetSleepRecording(false);
  EXPECT_STREQ(alpha.GetName(), "Alpha");
}

TEST(AlphaCom, NoLegalPlacementGivesNoCell) {
  std::mt19937 random(3);
  int checked = 0;
  for (int game = 0; game < 100 && checked < 5; ++game) {
    Board board(0, 0);
    while (PlayRandomMove(board, random))
      if (LegalCells(board, board.SideToMove()).empty()) {
        AlphaCom alpha(&board, board.SideToMove());
        EXPECT_EQ(alpha.NextMove(), (CellPos{-1, -1}));
        ++checked;
      }
  }
  EXPECT_GT(checked, 0);
}
