// GDI32: device contexts, pens, brushes, bitmaps and the shapes the game draws.
#pragma once

#include "windef.h"

#define NULL_BRUSH 5
#define WHITE_BRUSH 0
#define BLACK_BRUSH 4
#define BLACK_PEN 7
#define NULL_PEN 8

HGDIOBJ WINAPI GetStockObject(int object);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
BOOL WINAPI DeleteObject(HGDIOBJ object);
