#include "gdi/raster.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "backend.h"

namespace winapi {
namespace {

// Row y of each HS_* pattern, bit 7 the leftmost pixel: the patterns GDI has always used.
constexpr uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0xff, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

int64_t CeilDiv(int64_t numerator, int64_t denominator) {  // denominator > 0
  return numerator >= 0 ? (numerator + denominator - 1) / denominator : -((-numerator) / denominator);
}

// A horizontal or vertical pen line covers [from, to) when drawn forwards and (to, from]
// when drawn backwards, so the start point is always in and the end point never.
void OrderEndPoints(int& from, int& to) {
  if (from > to) {
    const int start = from;
    from = to + 1;
    to = start + 1;
  }
}

// Alois Zingl's integer ellipse for a width x height box, as Wine uses it for Ellipse so
// that outlines and fills match pixel for pixel. It walks the first quadrant from the x
// axis: each step moves one pixel inwards, one pixel outwards from the middle row, or both.
class EllipseWalk {
 public:
  struct Move {
    bool inwards = false;
    bool outwards = false;
  };

  EllipseWalk(int width, int height)
      : a_(width - 1),
        b_(height - 1),
        dx_(4 * b_ * b_ * (1 - a_)),
        dy_(4 * a_ * a_ * (1 + (b_ % 2))),
        err_(dx_ + dy_ + a_ * a_ * (b_ % 2)) {}

  Move Step() {
    const int64_t e2 = 2 * err_;
    Move move;
    if (e2 >= dx_) {
      move.inwards = true;
      dx_ += 8 * b_ * b_;
      err_ += dx_;
    }
    if (e2 <= dy_) {
      move.outwards = true;
      dy_ += 8 * a_ * a_;
      err_ += dy_;
    }
    return move;
  }

 private:
  int64_t a_, b_, dx_, dy_, err_;
};

// The first quadrant of the ellipse as points relative to the box, counterclockwise from
// the x axis.
std::vector<POINT> EllipseFirstQuadrant(int width, int height) {
  EllipseWalk walk(width, height);
  std::vector<POINT> points;
  POINT point{width - 1, height / 2};
  while (point.x >= width / 2) {
    points.push_back(point);
    const EllipseWalk::Move move = walk.Step();
    if (move.inwards) --point.x;
    if (move.outwards) ++point.y;
  }
  return points;
}

}  // namespace

bool PixelOutput() {
  Display* display = CurrentDisplay();
  return !display || display->DrawsPixels();
}

bool HatchBit(int hatch, int x, int y) {
  if (hatch < 0 || hatch > 5) return false;
  return (kHatches[hatch][y & 7] & (0x80 >> (x & 7))) != 0;
}

void Paint::Span(Surface& surface, int y, int x0, int x1) const {
  if (kind == Kind::None || y < 0 || y >= surface.height) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, surface.width);
  if (x0 >= x1) return;
  uint32_t* row = surface.Row(y);
  if (kind == Kind::Solid) {
    std::fill(row + x0, row + x1, color);
    return;
  }
  for (int x = x0; x < x1; ++x) {
    if (HatchBit(hatch, x, y))
      row[x] = color;
    else if (opaque)
      row[x] = background;
  }
}

void Paint::Rect(Surface& surface, RECT rect) const {
  for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, surface.height); ++y)
    Span(surface, y, rect.left, rect.right);
}

void SetPixelClipped(Surface& surface, int x, int y, uint32_t color) {
  if (x >= 0 && y >= 0 && x < surface.width && y < surface.height) surface.Row(y)[x] = color;
}

void PenLine(Surface& surface, POINT a, POINT b, uint32_t color) {
  const Paint solid{Paint::Kind::Solid, color};
  if (a.y == b.y) {
    int from = a.x, to = b.x;
    OrderEndPoints(from, to);
    solid.Span(surface, a.y, from, to);
    return;
  }
  if (a.x == b.x) {
    int from = a.y, to = b.y;
    OrderEndPoints(from, to);
    for (int y = from; y < to; ++y) SetPixelClipped(surface, a.x, y, color);
    return;
  }
  // Bresenham, with the tie-break of Windows: lines heading into octants 3, 5, 6 and 8
  // (counted clockwise from +x, y pointing down) step on an exact midpoint, the others
  // do not, so that a line and its reverse cover the same pixels apart from the ends.
  const int dx = b.x - a.x;
  const int dy = b.y - a.y;
  const int adx = std::abs(dx);
  const int ady = std::abs(dy);
  int octant;
  if (dy > 0)
    octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
  else
    octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
  const int bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
  const int stepX = dx > 0 ? 1 : -1;
  const int stepY = dy > 0 ? 1 : -1;
  const bool xMajor = adx > ady;
  const int major = xMajor ? adx : ady;
  const int minor = xMajor ? ady : adx;
  int err = 2 * minor - major;
  int x = a.x, y = a.y;
  for (int i = 0; i < major; ++i) {
    SetPixelClipped(surface, x, y, color);
    const bool stepMinor = err + bias > 0;
    err += stepMinor ? 2 * minor - 2 * major : 2 * minor;
    if (xMajor) {
      x += stepX;
      if (stepMinor) y += stepY;
    } else {
      y += stepY;
      if (stepMinor) x += stepX;
    }
  }
}

void PenOutline(Surface& surface, std::span<const POINT> points, uint32_t color) {
  if (points.size() < 2) return;
  for (size_t i = 0; i + 1 < points.size(); ++i) PenLine(surface, points[i], points[i + 1], color);
  PenLine(surface, points.back(), points.front(), color);
}

void FillPolygon(Surface& surface, std::span<const POINT> points, const Paint& paint) {
  if (paint.kind == Paint::Kind::None || points.size() < 3) return;
  int top = points[0].y, bottom = points[0].y;
  for (const POINT& point : points) {
    top = std::min<int>(top, point.y);
    bottom = std::max<int>(bottom, point.y);
  }
  top = std::max(top, 0);
  bottom = std::min(bottom, surface.height);
  std::vector<int64_t> crossings;
  for (int y = top; y < bottom; ++y) {
    crossings.clear();
    for (size_t i = 0; i < points.size(); ++i) {
      POINT upper = points[i];
      POINT lower = points[(i + 1) % points.size()];
      if (upper.y == lower.y) continue;  // horizontal edges only close the rows above and below
      if (upper.y > lower.y) std::swap(upper, lower);
      if (y < upper.y || y >= lower.y) continue;
      // The first pixel at or right of the edge's crossing of this row.
      crossings.push_back(upper.x + CeilDiv(int64_t{y - upper.y} * (lower.x - upper.x), lower.y - upper.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const int64_t from = std::max<int64_t>(crossings[i], 0);
      const int64_t to = std::min<int64_t>(crossings[i + 1], surface.width);
      if (from < to) paint.Span(surface, y, static_cast<int>(from), static_cast<int>(to));
    }
  }
}

void FillEllipse(Surface& surface, RECT box, const Paint& paint) {
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  if (width < 2 || height < 2) {
    paint.Rect(surface, box);
    return;
  }
  // Spans per row from the same integer ellipse as the outline, walked from the middle
  // row outwards; the upper half mirrors the lower one. In a very thin ellipse the walk
  // reaches the middle column before the last row: the rows beyond stay empty.
  std::vector<std::pair<int, int>> rows(height, {0, 0});
  rows[height / 2] = {box.left, box.right};
  EllipseWalk walk(width, height);
  int x = 0;
  int y = height / 2;
  while (x <= width / 2) {
    const EllipseWalk::Move move = walk.Step();
    if (move.inwards) ++x;
    if (move.outwards && ++y < height) rows[y] = {box.left + x, box.right - x};
  }
  for (int i = 0; i < height / 2; ++i) rows[i] = rows[height - 1 - i];
  for (int i = 0; i < height; ++i) paint.Span(surface, box.top + i, rows[i].first, rows[i].second);
}

void OutlineEllipse(Surface& surface, RECT box, uint32_t color) {
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  std::vector<POINT> quadrant = EllipseFirstQuadrant(width, height);
  const int count = static_cast<int>(quadrant.size());
  std::vector<POINT> points(static_cast<size_t>(4 * count));
  for (int i = 0; i < count; ++i)
    points[i] = {box.right - width + quadrant[i].x, box.top + height - 1 - quadrant[i].y};
  // Mirror left and right, then top and bottom; an odd size shares its middle point.
  int end = 2 * count - 1;
  if (width % 2) --end;
  for (int i = 0; i < count; ++i) points[end - i] = {box.left + box.right - 1 - points[i].x, points[i].y};
  int total = end + 1;
  end = 2 * total - 1;
  if (height % 2) --end;
  for (int i = 0; i < total; ++i) points[end - i] = {points[i].x, box.top + box.bottom - 1 - points[i].y};
  total = end + 1;
  PenOutline(surface, std::span<const POINT>(points.data(), static_cast<size_t>(total)), color);
}

}  // namespace winapi
