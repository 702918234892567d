// The pixel geometry of the hexagonal board: drawing cells and stones, and finding the
// cell under a mouse position. Positions are relative to the board's drawing origin.
#pragma once

#include <windows.h>

#include "rules/color.h"

// The centre of cell (x, y); no range check.
POINT CellCenter(int x, int y);

// A disc of radius r around (cx, cy) with the pen and brush selected into dc.
BOOL DrawDisc(HDC dc, int cx, int cy, int r);

// The cell under (px, py). Positions off the board give cells outside 0..7 (or, just
// outside the drawn outline, a neighbouring cell); Board::Place refuses the former.
CellPos PickCell(int px, int py);
