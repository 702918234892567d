// A look at what GDI drew and keeps, for tests and tools of the Linux layer.
#pragma once

#include <windows.h>

#include <cstddef>

#include "gdi/surface.h"

namespace winapi {

// A copy of the pixels a DC draws into (the selected bitmap, or a window's surface);
// empty for anything that is not a live DC.
Surface CopyDCPixels(HDC dc);

// GDI objects and device contexts created and not yet deleted (stock objects never count).
std::size_t LiveGdiObjectCount();

// On by default. Off, while the headless display is in use (user_testing.h), every
// drawing call still checks its device context, objects and arguments and answers as
// before, but no pixel is written: for running the program's logic at speed where nobody
// looks at the picture.
void SetPixelOutput(bool on);

// A memory DC with a bitmap of its own, cleared to one colour: something to draw into.
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255))
      : dc_(CreateCompatibleDC(nullptr)), bitmap_(CreateCompatibleBitmap(dc_, width, height)) {
    SelectObject(dc_, bitmap_);
    HBRUSH brush = CreateSolidBrush(fill);
    const RECT all{0, 0, width, height};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~MemoryCanvas() {
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  HDC dc() const { return dc_; }
  Surface Pixels() const { return CopyDCPixels(dc_); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
};

}  // namespace winapi
