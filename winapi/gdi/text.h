// Text for the layer's own drawing (menu bar, message boxes) and for DrawTextA: strings in
// code page 932 drawn with a Japanese font found through fontconfig, about as large as the
// system font of a Japanese Windows.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "gdi/surface.h"

namespace winapi {

struct TextExtent {
  int width = 0;       // of the widest line
  int lineHeight = 0;  // distance from one line's top to the next
  int lines = 0;
};

// The extent of CP932 text broken at line feeds (CR LF, LF or CR); empty text is one empty line.
TextExtent MeasureText(std::string_view cp932);

// Draws CP932 text with its first line's top left corner at (x, y), in colour (a COLORREF),
// touching no pixel outside clip (right and bottom excluded) or the surface. Only the glyphs
// are drawn: whatever lies behind them stays, so fill the background first where needed.
// underlineByte, when not negative, is the byte offset in cp932 of a character to underline
// (the mnemonic of a menu label, see ParseMnemonic).
void DrawTextOnSurface(Surface& surface, int x, int y, std::string_view cp932, COLORREF color, const RECT& clip,
                       int underlineByte = -1);

// The lines of CP932 text, broken at CR LF, LF or CR; views into text. Empty text is one empty line.
std::vector<std::string_view> SplitTextLines(std::string_view cp932);

}  // namespace winapi
