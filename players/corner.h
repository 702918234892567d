// The cells the simple players take as soon as they meet a legal one.
#pragma once

#include "rules/color.h"

// A corner: both coordinates on the board's edge, (0,0), (0,7), (7,0) or (7,7).
constexpr bool IsCorner(int x, int y) {
  return (x == 0 || x == kBoardSize - 1) && (y == 0 || y == kBoardSize - 1);
}
