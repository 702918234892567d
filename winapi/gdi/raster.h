// The rasteriser behind the drawing calls. Everything here works in device coordinates
// on a Surface, clipped to it; the calls in shapes.cpp map logical coordinates and pick
// pens and brushes. Where the GDI documentation leaves pixels open, the rules are those
// of Wine's DIB engine, since the Windows build runs under Wine for comparison.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "gdi/surface.h"

namespace winapi {

// Whether the drawing calls write pixels: unless the display says nobody looks (backend.h).
bool PixelOutput();

// How a brush fills: a solid colour, or an 8x8 hatch whose gaps take the background
// colour (or stay untouched in TRANSPARENT mode). The pattern is aligned to the device
// origin, so neighbouring fills line up whatever their coordinates.
struct Paint {
  enum class Kind { None, Solid, Hatch };
  Kind kind = Kind::None;
  uint32_t color = 0;
  uint32_t background = 0;
  bool opaque = true;
  int hatch = 0;

  // Fills pixels [x0, x1) of row y, clipped to the surface.
  void Span(Surface& surface, int y, int x0, int x1) const;
  void Rect(Surface& surface, RECT rect) const;
};

// Whether pixel (x, y) of an HS_* pattern is a hatch line (rather than a gap).
bool HatchBit(int hatch, int x, int y);

void SetPixelClipped(Surface& surface, int x, int y, uint32_t color);

// A one-pixel pen line from a to b, b excluded (the LineTo rule).
void PenLine(Surface& surface, POINT a, POINT b, uint32_t color);
// A closed outline: every segment in order, then the last point back to the first,
// so that each vertex is drawn as the start of its segment.
void PenOutline(Surface& surface, std::span<const POINT> points, uint32_t color);

// Alternate-mode polygon interior: a pixel (x, y), taken as the point (x, y), is filled
// when a ray to its left crosses the outline an odd number of times, counting an edge
// at row y when y lies in [top, bottom) of the edge and its crossing is at or left of x.
// So pixels on left and top edges are filled and those on right and bottom edges are not.
void FillPolygon(Surface& surface, std::span<const POINT> points, const Paint& paint);

// The interior of the ellipse inscribed in [left, right) x [top, bottom), filled row by row.
void FillEllipse(Surface& surface, RECT box, const Paint& paint);
// The one-pixel outline of the same ellipse.
void OutlineEllipse(Surface& surface, RECT box, uint32_t color);

}  // namespace winapi
