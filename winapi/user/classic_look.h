// The colours of the classic Windows look that the menu bar and the message boxes share,
// and the one drawing step both are built from.
#pragma once

#include <windows.h>

namespace winapi::classic {

constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr COLORREF kLight = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kDarkShadow = RGB(64, 64, 64);

// A rectangle in a solid colour, through the layer's own GDI.
inline void Fill(HDC dc, RECT rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

}  // namespace winapi::classic
