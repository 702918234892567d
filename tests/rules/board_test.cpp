#include <gtest/gtest.h>

#include <climits>

#include "board_testing.h"
#include "gdi_testing.h"
#include "rules/board.h"

namespace {

struct Expected {
  CellPos cell;
  int flips;
};

std::vector<Expected> LegalWithFlips(const Board& board, const Color* color) {
  std::vector<Expected> result;
  for (const CellPos& cell : LegalCells(board, color)) result.push_back({cell, board.CountFlips(cell.x, cell.y, color)});
  return result;
}

bool operator==(const Expected& a, const Expected& b) { return a.cell == b.cell && a.flips == b.flips; }

}  // namespace

TEST(Board, OpeningPosition) {
  Board board(10, 10);
  EXPECT_EQ(board.GetMoveCount(), 0);
  EXPECT_EQ(board.SideToMove(), Black());
  EXPECT_TRUE(board.GetHistory().empty());
  EXPECT_EQ(board.GetOriginX(), 10);
  EXPECT_EQ(board.GetOriginY(), 10);
  int stones = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) stones += board.GetCell(x, y) != nullptr;
  EXPECT_EQ(stones, 4);
  EXPECT_EQ(board.GetCell(3, 3), White());
  EXPECT_EQ(board.GetCell(4, 4), White());
  EXPECT_EQ(board.GetCell(4, 3), Black());
  EXPECT_EQ(board.GetCell(3, 4), Black());
}

TEST(Board, OpeningLegalCellsAndFlips) {
  Board board(0, 0);
  EXPECT_EQ(LegalWithFlips(board, Black()),
            (std::vector<Expected>{{{2, 3}, 1}, {{3, 5}, 1}, {{4, 2}, 1}, {{5, 4}, 1}}));
  EXPECT_EQ(LegalWithFlips(board, White()),
            (std::vector<Expected>{{{2, 4}, 1}, {{2, 5}, 1}, {{5, 2}, 1}, {{5, 3}, 1}}));
}

TEST(Board, PlaceWritesRecordWithNeighbourEnd) {
  Board board(0, 0);
  ASSERT_TRUE(board.Place(2, 3, Black()));
  EXPECT_EQ(board.GetCell(3, 3), Black());
  EXPECT_EQ(board.GetCell(2, 3), Black());
  EXPECT_EQ(board.GetMoveCount(), 1);
  EXPECT_EQ(board.SideToMove(), White());
  ASSERT_EQ(board.GetHistory().size(), 1u);

  MoveRecord expected{};
  expected.count = 1;
  expected.x = 2;
  expected.y = 3;
  for (auto& end : expected.ends) end[0] = end[1] = -1;
  expected.ends[1][0] = 4;  // closed by (4, 3) over the turned (3, 3)
  expected.ends[1][1] = 3;
  expected.ends[5][0] = 3;  // (3, 4) is Black already: recorded, nothing turned
  expected.ends[5][1] = 4;
  EXPECT_EQ(board.GetHistory().top(), expected);
}

TEST(Board, RefusedPlacementsChangeNothing) {
  Board board(0, 0);
  const BoardSnapshot before(board);
  EXPECT_FALSE(board.Place(5, 3, Black()));  // neighbour already Black, no line closes
  EXPECT_FALSE(board.Place(3, 3, Black()));  // occupied
  EXPECT_FALSE(board.Place(0, 0, Black()));  // nothing to close
  EXPECT_EQ(board.CountFlips(3, 3, Black()), 0);
  EXPECT_FALSE(board.CanPlace(3, 3, Black()));
  EXPECT_EQ(BoardSnapshot(board), before);
}

TEST(Board, OccupiedCellRefusedEvenWhereLinesWouldClose) {
  Board board(0, 0);
  ASSERT_TRUE(board.Place(2, 3, Black()));
  ASSERT_TRUE(board.Place(2, 4, White()));
  // Emptying (2, 4) would let Black close a line there; occupied, it must be refused.
  const BoardSnapshot before(board);
  EXPECT_EQ(board.CountFlips(2, 4, Black()), 0);
  EXPECT_FALSE(board.Place(2, 4, Black()));
  EXPECT_EQ(BoardSnapshot(board), before);
}

TEST(Board, OutsideCellsAreRefusedWithoutReading) {
  Board board(0, 0);
  const BoardSnapshot before(board);
  const int far[] = {INT_MIN, INT_MIN + 1, -1000000, -8, -1, 8, 9, 1000000, INT_MAX - 1, INT_MAX};
  for (int x : far)
    for (int y : {0, 3, 7}) {
      EXPECT_FALSE(board.Place(x, y, Black()));
      EXPECT_FALSE(board.Place(y, x, White()));
      EXPECT_FALSE(board.CanPlace(x, y, Black()));
      EXPECT_EQ(board.CountFlips(y, x, White()), 0);
    }
  for (int x : far)
    for (int y : far) EXPECT_FALSE(board.Place(x, y, Black()));
  EXPECT_EQ(BoardSnapshot(board), before);
}

TEST(Board, LineRunningToAnEmptyCellTurnsNothing) {
  Board board(0, 0);
  ASSERT_TRUE(board.Place(2, 3, Black()));  // row 3 now holds Black on 2, 3 and 4
  const BoardSnapshot before(board);
  // From (1, 3) White walks over three Black stones to the empty (5, 3).
  EXPECT_EQ(board.CountFlips(1, 3, White()), 0);
  EXPECT_FALSE(board.Place(1, 3, White()));
  EXPECT_EQ(BoardSnapshot(board), before);
}

TEST(Board, PassThenUndoForgetsThePass) {
  Board board(0, 0);
  const BoardSnapshot opening(board);
  ASSERT_TRUE(board.Place(2, 3, Black()));
  board.Pass();
  EXPECT_EQ(board.GetMoveCount(), 2);
  EXPECT_EQ(board.SideToMove(), Black());
  board.Undo();
  EXPECT_EQ(board.GetMoveCount(), 0);
  EXPECT_EQ(BoardSnapshot(board), opening);
}

TEST(Board, PassBeforePlacementStaysCounted) {
  Board board(0, 0);
  board.Pass();
  ASSERT_TRUE(board.Place(2, 4, White()));
  EXPECT_EQ(board.GetMoveCount(), 2);
  board.Undo();
  EXPECT_EQ(board.GetMoveCount(), 1);
}

TEST(Board, UndoOnEmptyHistoryDoesNothing) {
  Board board(0, 0);
  board.Pass();
  const BoardSnapshot before(board);
  board.Undo();
  EXPECT_EQ(BoardSnapshot(board), before);
}

TEST(Board, ResetRestoresOpeningAndKeepsOrigin) {
  Board board(10, 20);
  const BoardSnapshot opening(board);
  ASSERT_TRUE(board.Place(2, 3, Black()));
  board.Pass();
  board.Reset();
  EXPECT_EQ(BoardSnapshot(board), opening);
  EXPECT_EQ(board.GetOriginX(), 10);
  EXPECT_EQ(board.GetOriginY(), 20);
}

TEST(Board, BrushIsDeletedWithTheBoard) {
  const std::size_t before = winapi::LiveGdiObjectCount();
  {
    Board board(10, 10);
    EXPECT_EQ(winapi::LiveGdiObjectCount(), before + 1);
    board.Reset();
    EXPECT_EQ(winapi::LiveGdiObjectCount(), before + 1);
  }
  EXPECT_EQ(winapi::LiveGdiObjectCount(), before);
}
