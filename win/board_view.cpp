#include "win/board_view.h"

#include <cmath>
#include <cstdint>

#include "rules/board.h"

namespace {

constexpr int kRadius = 32;  // centre to top and bottom vertex
constexpr int kStoneRadius = 24;

// √3 in single precision: the cells are drawn and picked with a width 32·√3 built from it.
float Sqrt3() {
  static const float s = static_cast<float>(std::sqrt(static_cast<double>(3.0f)));
  return s;
}

double CellWidth() { return static_cast<double>(Sqrt3()) * kRadius; }

}  // namespace

POINT CellCenter(int x, int y) {
  const double w = CellWidth();
  const double column = y % 2 != 0 ? x + 1.0 : x + 0.5;
  return {static_cast<LONG>(column * w), static_cast<LONG>((1.5 * y + 1) * kRadius)};
}

BOOL DrawDisc(HDC dc, int cx, int cy, int r) { return Ellipse(dc, cx - r, cy - r, cx + r + 1, cy + r + 1); }

void Board::Draw(HDC dc) const {
  POINT previous;
  SetViewportOrgEx(dc, originX_, originY_, &previous);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, brush_);

  const double w = CellWidth();
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const float left = static_cast<float>(y % 2 == 0 ? x * w : x * w + w / 2);
      const float top = static_cast<float>(48 * y);
      const POINT vertices[6] = {
          {static_cast<LONG>(left), static_cast<LONG>(top + 16.0)},
          {static_cast<LONG>(left), static_cast<LONG>(top + 48.0)},
          {static_cast<LONG>(left + w / 2), static_cast<LONG>(top + 64.0)},
          {static_cast<LONG>(left + w), static_cast<LONG>(top + 48.0)},
          {static_cast<LONG>(left + w), static_cast<LONG>(top + 16.0)},
          {static_cast<LONG>(left + w / 2), static_cast<LONG>(top)},
      };
      Polygon(dc, vertices, 6);
    }
  }

  SelectObject(dc, GetStockObject(NULL_PEN));
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const Color* stone = GetCell(x, y);
      const int brush = stone == Black() ? BLACK_BRUSH : stone == White() ? WHITE_BRUSH : NULL_BRUSH;
      SelectObject(dc, GetStockObject(brush));
      const POINT center = CellCenter(x, y);
      DrawDisc(dc, center.x, center.y, kStoneRadius);
    }
  }
  SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

CellPos PickCell(int px, int py) {
  const float s = Sqrt3();
  const double w = CellWidth();
  const int pitch = static_cast<int>(kRadius * 1.5);
  const int band = py / pitch;
  const int rem = py % pitch;
  const int across = band % 2 != 0 ? static_cast<int>(px - (static_cast<double>(s) / 2) * kRadius) : px;

  if (rem >= 16) {
    // The straight sides of the band's own row.
    const float q = static_cast<float>(across / w);
    return {static_cast<int>(std::floor(q)), band};
  }
  // The zigzag where the band's upward caps meet the downward caps of the row above. The
  // caps are measured against a width of 55, a shade under the drawn 55.43, so their
  // boundaries drift left by up to about 3 pixels across the board; clicks follow that.
  const int cap = static_cast<int>(across - (16 - rem) * static_cast<double>(s));
  const int capWidth = static_cast<int>(w);  // 55
  const int column = static_cast<int>(std::floor(static_cast<float>(static_cast<double>(cap) / capWidth)));
  // A point left of the band's first cap has a negative remainder; taken as unsigned it is
  // never inside a cap, so such points go to the row above.
  const auto inCap = static_cast<uint32_t>(cap % capWidth);
  if (2 * rem * static_cast<double>(s) > inCap) return {column, band};
  return {column + band % 2, band - 1};
}
