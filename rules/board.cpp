#include "rules/board.h"

namespace {
constexpr COLORREF kBoardColor = RGB(63, 159, 111);
}

Board::Board(int originX, int originY)
    : originX_(originX), originY_(originY), brush_(CreateSolidBrush(kBoardColor)) {
  Reset();
}

Board::~Board() { DeleteObject(brush_); }

void Board::Reset() {
  for (const Color*& cell : cells_) cell = nullptr;
  SetCell(4, 3, Black());
  SetCell(3, 4, Black());
  SetCell(3, 3, White());
  SetCell(4, 4, White());
  while (!history_.empty()) history_.pop();
  moveCount_ = 0;
}

bool Board::Place(int x, int y, const Color* color) {
  if (!InBoard(x, y) || GetCell(x, y)) return false;

  MoveRecord record{};
  record.count = moveCount_ + 1;
  record.x = x;
  record.y = y;
  for (auto& end : record.ends) end[0] = end[1] = -1;

  int turned = 0;
  for (int d = 0; d < kDirectionCount; ++d) {
    int cx = x, cy = y;
    for (;;) {
      StepForward(cx, cy, d);
      if (!InBoard(cx, cy) || !GetCell(cx, cy)) break;
      if (GetCell(cx, cy) != color) continue;
      record.ends[d][0] = cx;
      record.ends[d][1] = cy;
      for (StepBack(cx, cy, d); cx != x || cy != y; StepBack(cx, cy, d)) {
        SetCell(cx, cy, color);
        ++turned;
      }
      break;
    }
  }
  if (turned == 0) return false;  // nothing was turned, so nothing changed

  SetCell(x, y, color);
  ++moveCount_;
  history_.push(record);
  return true;
}

int Board::CountFlips(int x, int y, const Color* color) const {
  if (!InBoard(x, y) || GetCell(x, y)) return 0;
  int total = 0;
  for (int d = 0; d < kDirectionCount; ++d) {
    int cx = x, cy = y, run = 0;
    for (;;) {
      StepForward(cx, cy, d);
      if (!InBoard(cx, cy) || !GetCell(cx, cy)) break;
      if (GetCell(cx, cy) == color) {
        total += run;
        break;
      }
      ++run;
    }
  }
  return total;
}

bool Board::CanPlace(int x, int y, const Color* color) const {
  if (!InBoard(x, y) || GetCell(x, y)) return false;
  return CountFlips(x, y, color) != 0;
}

void Board::Undo() {
  if (history_.empty()) return;
  const MoveRecord record = history_.top();
  history_.pop();

  // The turned stones are found again between the placed stone and each recorded end.
  const Color* restored = Opposite(GetCell(record.x, record.y));
  SetCell(record.x, record.y, nullptr);
  for (int d = 0; d < kDirectionCount; ++d) {
    if (record.ends[d][0] == -1) continue;
    int cx = record.x, cy = record.y;
    for (StepForward(cx, cy, d); cx != record.ends[d][0] || cy != record.ends[d][1]; StepForward(cx, cy, d))
      SetCell(cx, cy, restored);
  }
  // Passes made after the placement vanish with it.
  moveCount_ = record.count - 1;
}

void Board::Pass() { ++moveCount_; }

bool HasLegalPlacement(const Board& board, const Color* color) {
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board.CanPlace(x, y, color)) return true;
  return false;
}

std::vector<CellPos> LegalCells(const Board& board, const Color* color) {
  std::vector<CellPos> cells;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board.CanPlace(x, y, color)) cells.push_back({x, y});
  return cells;
}

int CountStones(const Board& board, const Color* color) {
  int count = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) count += board.GetCell(x, y) == color;
  return count;
}
