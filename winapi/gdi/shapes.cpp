// The filled shapes: coordinates mapped to the device, then the rasteriser's rules.
#include <algorithm>
#include <vector>

#include "boundary.h"
#include "gdi/dc.h"

namespace winapi {
namespace {

RECT DeviceRect(const DeviceContext& dc, int left, int top, int right, int bottom) {
  const POINT a = dc.ToDevice(left, top);
  const POINT b = dc.ToDevice(right, bottom);
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace
}  // namespace winapi

using winapi::DeviceContext;

BOOL WINAPI Rectangle(HDC handle, int left, int top, int right, int bottom) {
  return winapi::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    DeviceContext* dc = winapi::FindDC(handle);
    winapi::Surface* surface = dc ? dc->Target() : nullptr;
    if (!surface) return FALSE;
    RECT box = winapi::DeviceRect(*dc, left, top, right, bottom);
    if (box.left == box.right || box.top == box.bottom || !winapi::PixelOutput()) return TRUE;
    // The outline runs through the last column and row inside the box; the fill stays inside
    // it. Without a pen nothing takes the outline's place, so the fill ends one pixel short
    // of the right and bottom edges.
    --box.right;
    --box.bottom;
    uint32_t penColor = 0;
    const bool pen = dc->PenColor(penColor);
    if (pen) {
      const POINT corners[4] = {
          {box.right, box.top}, {box.left, box.top}, {box.left, box.bottom}, {box.right, box.bottom}};
      winapi::PenOutline(*surface, corners, penColor);
    }
    const int penWidth = pen ? 1 : 0;
    dc->BrushPaint().Rect(*surface, {box.left + (penWidth + 1) / 2, box.top + (penWidth + 1) / 2,
                                     box.right - penWidth / 2, box.bottom - penWidth / 2});
    ++surface->generation;
    return TRUE;
  });
}

BOOL WINAPI Polygon(HDC handle, const POINT* points, int count) {
  return winapi::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    DeviceContext* dc = winapi::FindDC(handle);
    winapi::Surface* surface = dc ? dc->Target() : nullptr;
    if (!surface || !points || count < 2) return FALSE;
    if (!winapi::PixelOutput()) return TRUE;
    std::vector<POINT> device(points, points + count);
    for (POINT& point : device) point = dc->ToDevice(point.x, point.y);
    // Interior first, then the outline over it.
    winapi::FillPolygon(*surface, device, dc->BrushPaint());
    if (uint32_t penColor = 0; dc->PenColor(penColor)) winapi::PenOutline(*surface, device, penColor);
    ++surface->generation;
    return TRUE;
  });
}

BOOL WINAPI Ellipse(HDC handle, int left, int top, int right, int bottom) {
  return winapi::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    DeviceContext* dc = winapi::FindDC(handle);
    winapi::Surface* surface = dc ? dc->Target() : nullptr;
    if (!surface) return FALSE;
    const RECT box = winapi::DeviceRect(*dc, left, top, right, bottom);
    if (box.left == box.right || box.top == box.bottom || !winapi::PixelOutput()) return TRUE;
    // Too thin to round: GDI draws the rectangle instead.
    if (box.right - box.left <= 2 || box.bottom - box.top <= 2) return Rectangle(handle, left, top, right, bottom);
    winapi::FillEllipse(*surface, box, dc->BrushPaint());
    if (uint32_t penColor = 0; dc->PenColor(penColor)) winapi::OutlineEllipse(*surface, box, penColor);
    ++surface->generation;
    return TRUE;
  });
}
