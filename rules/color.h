// Stone colours and the hexagonal grid: cells, neighbours, walks along a line.
#pragma once

// The colour of a stone. Exactly two instances exist, reached through Black()
// and White(); a colour value is a pointer to one of them, compared by identity,
// and null means no colour (an empty cell).
class Color {
 public:
  Color(const Color&) = delete;
  Color& operator=(const Color&) = delete;

 private:
  constexpr Color() = default;
  friend const Color* Black();
  friend const Color* White();
};

const Color* Black();  // moves when the move counter is even, so first
const Color* White();
const Color* Opposite(const Color* color);  // null for anything but Black or White
const Color* ColorForCount(int moveCount);
const char* ColorName(const Color* color);  // "黒", "白", or "＿" for no colour

// A cell: column x (0..7, left to right) and row y (0..7, top to bottom).
// (-1, -1) stands for no cell at all.
struct CellPos {
  int x;
  int y;
  friend bool operator==(const CellPos&, const CellPos&) = default;
};

constexpr int kBoardSize = 8;
constexpr int kCellCount = kBoardSize * kBoardSize;

// The six directions from a cell. Their order is that of every walk over the
// directions and of the slots of a take-back record, so it must not change.
enum Direction : int {
  kLeft,       // same row
  kRight,      // same row
  kUpLeft,     // row above
  kDownLeft,   // row below
  kUpRight,    // row above
  kDownRight,  // row below
  kDirectionCount
};

constexpr bool InBoard(int x, int y) { return x >= 0 && x < kBoardSize && y >= 0 && y < kBoardSize; }

// Odd rows lie half a cell to the right of even rows, so the column step of the
// four slanted directions depends on the parity of the row a step starts from.
// kDirDx[0] is for even rows, kDirDx[1] for odd rows; the columns are the
// directions in their order: left, right, up left, down left, up right, down right.
inline constexpr int kDirDx[2][kDirectionCount] = {
    {-1, 1, -1, -1, 0, 0},
    {-1, 1, 0, 0, 1, 1},
};
inline constexpr int kDirDy[kDirectionCount] = {0, 0, -1, 1, -1, 1};

// One step along direction d.
constexpr void StepForward(int& x, int& y, int d) {
  x += kDirDx[y & 1][d];
  y += kDirDy[d];
}

// The exact inverse of StepForward: the step came from a row of the other parity.
constexpr void StepBack(int& x, int& y, int d) {
  x -= kDirDx[(y + 1) & 1][d];
  y -= kDirDy[d];
}
