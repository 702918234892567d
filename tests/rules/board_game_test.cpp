// Whole games: placing and taking back over random play, against an independent
// model of the hex lines, the questions about the whole board, and the frozen
// size of the game tree.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>

#include "board_testing.h"
#include "rules/board.h"

namespace {

// Axial hex coordinates, written independently of the board's step tables:
// odd rows are shifted half a cell right, so q = x - (y - (y & 1)) / 2.
std::set<std::pair<int, int>> ExpectedTurns(const Board& board, int x, int y, const Color* color) {
  static const int kAxial[6][2] = {{-1, 0}, {1, 0}, {0, -1}, {1, -1}, {-1, 1}, {0, 1}};
  std::set<std::pair<int, int>> turns;
  const int q0 = x - (y - (y & 1)) / 2;
  for (const auto& step : kAxial) {
    std::set<std::pair<int, int>> line;
    for (int q = q0 + step[0], r = y + step[1];; q += step[0], r += step[1]) {
      const int cx = q + (r - (r & 1)) / 2;
      if (!InBoard(cx, r) || !board.GetCell(cx, r)) break;
      if (board.GetCell(cx, r) == color) {
        turns.insert(line.begin(), line.end());
        break;
      }
      line.insert({cx, r});
    }
  }
  return turns;
}

// The cells where a placement succeeds, found by trying every cell.
std::vector<CellPos> PlaceableCells(Board& board, const Color* color) {
  std::vector<CellPos> cells;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board.Place(x, y, color)) {
        cells.push_back({x, y});
        board.Undo();
      }
  return cells;
}

std::set<std::pair<int, int>> ChangedCells(const BoardSnapshot& before, const Board& after) {
  std::set<std::pair<int, int>> changed;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (before.cells[x * kBoardSize + y] != after.GetCell(x, y)) changed.insert({x, y});
  return changed;
}

}  // namespace

TEST(BoardGames, PlacementsTurnExactlyTheClosedLinesAndUndoRestores) {
  std::mt19937 random(20261207);
  int passes = 0;
  for (int game = 0; game < 300; ++game) {
    Board board(10, 10);
    std::vector<BoardSnapshot> before;  // the position before each placement
    for (;;) {
      const Color* side = board.SideToMove();
      const std::vector<CellPos> legal = LegalCells(board, side);
      ASSERT_EQ(legal, PlaceableCells(board, side));
      ASSERT_EQ(HasLegalPlacement(board, side), !legal.empty());
      if (legal.empty()) {
        if (LegalCells(board, Opposite(side)).empty()) break;
        board.Pass();
        ++passes;
        continue;
      }
      const CellPos cell = legal[random() % legal.size()];
      const int flips = board.CountFlips(cell.x, cell.y, side);
      const int own = CountStones(board, side), other = CountStones(board, Opposite(side));
      auto expected = ExpectedTurns(board, cell.x, cell.y, side);
      ASSERT_EQ(flips, static_cast<int>(expected.size()));
      before.emplace_back(board);
      ASSERT_TRUE(board.Place(cell.x, cell.y, side));
      expected.insert({cell.x, cell.y});
      ASSERT_EQ(ChangedCells(before.back(), board), expected);
      for (const auto& [x, y] : expected) ASSERT_EQ(board.GetCell(x, y), side);
      ASSERT_EQ(CountStones(board, side), own + flips + 1);
      ASSERT_EQ(CountStones(board, Opposite(side)), other - flips);
      ASSERT_EQ(CountStones(board, nullptr), 60 - static_cast<int>(board.GetHistory().size()));
      ASSERT_EQ(board.GetMoveCount(), before.back().moveCount + 1);
    }
    ASSERT_LE(board.GetHistory().size(), 60u);
    // Taking back newest first passes through every earlier position exactly.
    while (!before.empty()) {
      board.Undo();
      ASSERT_EQ(BoardSnapshot(board), before.back()) << "game " << game;
      before.pop_back();
    }
    ASSERT_EQ(board.GetMoveCount(), 0);
    ASSERT_TRUE(board.GetHistory().empty());
  }
  EXPECT_GT(passes, 0) << "the seeded games should include passes";
}

TEST(BoardGames, RecordCountsRiseAndCounterNeverFallsBelowThem) {
  std::mt19937 random(7);
  for (int game = 0; game < 100; ++game) {
    Board board(0, 0);
    while (PlayRandomMove(board, random)) {
      if (!board.GetHistory().empty()) {
        ASSERT_GE(board.GetMoveCount(), board.GetHistory().top().count);
      }
    }
    Board::History history = board.GetHistory();
    int newer = INT32_MAX;
    while (!history.empty()) {
      ASSERT_LT(history.top().count, newer);
      newer = history.top().count;
      for (int d = 6; d < 8; ++d) ASSERT_EQ(history.top().ends[d][0], -1);
      history.pop();
    }
  }
}

namespace {

// Leaves of the game tree: a side without a placement passes (a ply) when the
// other side can place; a position where neither can place is one leaf.
uint64_t Perft(Board& board, int depth) {
  if (depth == 0) return 1;
  const Color* side = board.SideToMove();
  uint64_t leaves = 0;
  bool placed = false;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board.Place(x, y, side)) {
        placed = true;
        leaves += Perft(board, depth - 1);
        board.Undo();  // also forgets any pass made below
      }
  if (placed) return leaves;
  if (LegalCells(board, Opposite(side)).empty()) return 1;
  board.Pass();  // never at the root here: the parent's Undo takes it back
  return Perft(board, depth - 1);
}

}  // namespace

TEST(BoardGames, PerftFromOpening) {
  const uint64_t expected[] = {4, 12, 44, 160, 724, 3332, 17528, 95962, 576566, 3627648};
  Board board(0, 0);
  const BoardSnapshot opening(board);
  for (int depth = 1; depth <= 10; ++depth) {
    EXPECT_EQ(Perft(board, depth), expected[depth - 1]) << "depth " << depth;
    EXPECT_EQ(BoardSnapshot(board), opening);
  }
}
