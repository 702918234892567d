// Pixel surfaces that device contexts draw into: bitmaps and windows' client areas.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace winapi {

// 32-bit pixels 0x00RRGGBB, rows top to bottom, as a top-down DIB section.
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  // Advances on every change of the pixels, so that a window knows when to show them again.
  uint64_t generation = 0;

  Surface() = default;
  Surface(int width, int height, uint32_t fill = 0)
      : width(width), height(height), pixels(static_cast<std::size_t>(width) * height, fill) {}
  uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
  const uint32_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

// A device context drawing into a surface it does not own (a window's client area);
// what GetDC hands out. Released with ReleaseSurfaceDC, never with DeleteDC.
HDC CreateSurfaceDC(Surface* surface);
void ReleaseSurfaceDC(HDC dc);

}  // namespace winapi
