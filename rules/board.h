// The board: cells, move counter, placing with turning, passes and take-back.
#pragma once

#include <windows.h>

#include <deque>
#include <stack>
#include <vector>

#include "rules/color.h"

// One entry of the take-back history, written by a successful placement.
struct MoveRecord {
  int count;  // the move counter after the placement
  int x;
  int y;
  // Per direction, the stone of the placing colour that closed the line, or
  // (-1, -1) where the walk met the edge or an empty cell first. Only the first
  // kDirectionCount slots are used.
  int ends[8][2];

  friend bool operator==(const MoveRecord&, const MoveRecord&) = default;
};
static_assert(sizeof(MoveRecord) == 19 * sizeof(int));

class Board {
 public:
  using History = std::stack<MoveRecord, std::deque<MoveRecord>>;

  Board(int originX, int originY);
  ~Board();
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  void Reset();
  bool Place(int x, int y, const Color* color);
  bool CanPlace(int x, int y, const Color* color) const;
  int CountFlips(int x, int y, const Color* color) const;
  void Undo();
  void Pass();

  int GetMoveCount() const { return moveCount_; }
  const Color* SideToMove() const { return ColorForCount(moveCount_); }
  const Color* GetCell(int x, int y) const { return cells_[x * kBoardSize + y]; }  // x, y in 0..7
  int GetOriginX() const { return originX_; }
  int GetOriginY() const { return originY_; }
  const History& GetHistory() const { return history_; }

  // Paints the hexagons and stones into dc at the board's origin.
  void Draw(HDC dc) const;

 private:
  void SetCell(int x, int y, const Color* color) { cells_[x * kBoardSize + y] = color; }

  int moveCount_ = 0;
  const Color* cells_[kCellCount] = {};
  int originX_;
  int originY_;
  HBRUSH brush_;
  History history_;
};

// Questions about a whole board, each scanning the cells in the order of every
// search over them (x outer, y inner).

// Whether color may place somewhere; the scan stops at the first legal cell.
bool HasLegalPlacement(const Board& board, const Color* color);

// The cells where color may place, in scan order.
std::vector<CellPos> LegalCells(const Board& board, const Color* color);

// The number of cells holding color; for null, the number of empty cells.
int CountStones(const Board& board, const Color* color);
