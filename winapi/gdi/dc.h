// Device contexts: what is selected, where drawing goes, and the state the drawing calls read.
#pragma once

#include <windows.h>

#include "gdi/objects.h"
#include "gdi/raster.h"
#include "gdi/surface.h"

namespace winapi {

struct DeviceContext final : GdiObject {
  // A memory DC draws into the bitmap selected into it; a surface DC into a window's pixels.
  explicit DeviceContext(Surface* windowSurface)
      : GdiObject(ObjectKind::DeviceContext), windowSurface(windowSurface) {}

  bool IsMemory() const { return windowSurface == nullptr; }
  // Where drawing goes now; null only when the selected bitmap vanished, which selection prevents.
  Surface* Target() const;

  // Logical to device coordinates: the mapping mode is MM_TEXT, so only the viewport origin moves.
  POINT ToDevice(int x, int y) const { return {x + viewportOrg.x, y + viewportOrg.y}; }

  // The selected brush as a span filler, with this DC's background for hatch gaps.
  Paint BrushPaint() const;
  // The selected pen's colour in surface format, or nothing for the null pen.
  bool PenColor(uint32_t& color) const;

  Surface* windowSurface;
  SurfaceDCDeleted onDelete = nullptr;  // surface DCs only
  HGDIOBJ pen = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ bitmap = nullptr;  // memory DCs only
  POINT viewportOrg{0, 0};
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
};

DeviceContext* FindDC(HDC dc);

// A brush as a span filler, for FillRect which names its brush instead of using the selected one.
Paint MakePaint(const Brush& brush, COLORREF bkColor, int bkMode);

}  // namespace winapi
