// GDI32: device contexts, pens, brushes, bitmaps and the shapes the program draws.
#pragma once

#include "windef.h"

#define WHITE_BRUSH 0
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define BLACK_PEN 7
#define NULL_PEN 8

#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

#define TRANSPARENT 1
#define OPAQUE 2

#define SRCCOPY ((DWORD)0x00CC0020)

#define CLR_INVALID ((COLORREF)0xFFFFFFFF)

HGDIOBJ WINAPI GetStockObject(int object);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color);
BOOL WINAPI DeleteObject(HGDIOBJ object);

HDC WINAPI CreateCompatibleDC(HDC dc);
HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height);
BOOL WINAPI DeleteDC(HDC dc);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);

BOOL WINAPI SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
COLORREF WINAPI SetBkColor(HDC dc, COLORREF color);
int WINAPI SetBkMode(HDC dc, int mode);

BOOL WINAPI Polygon(HDC dc, const POINT* points, int count);
BOOL WINAPI Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                   DWORD rop);
