// The pixels of each drawing call, as small pictures: '.' untouched (white), '#' the pen
// (black), 'r' the brush (red), 'b' a hatch line (blue).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "gdi_testing.h"

namespace {

using winapi::MemoryCanvas;
using winapi::PixelOf;
using Picture = std::vector<std::string>;

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

Picture Draw(const MemoryCanvas& canvas) {
  const winapi::Surface pixels = canvas.Pixels();
  Picture picture;
  for (int y = 0; y < pixels.height; ++y) {
    std::string row;
    for (int x = 0; x < pixels.width; ++x) {
      const uint32_t pixel = pixels.At(x, y);
      row += pixel == PixelOf(RGB(255, 255, 255)) ? '.'
             : pixel == 0                         ? '#'
             : pixel == PixelOf(kRed)             ? 'r'
             : pixel == PixelOf(kBlue)            ? 'b'
                                                  : '?';
    }
    picture.push_back(row);
  }
  return picture;
}

// A canvas with a red brush and the given stock pen selected.
struct ShapeCanvas : MemoryCanvas {
  ShapeCanvas(int width, int height, int pen) : MemoryCanvas(width, height), brush(CreateSolidBrush(kRed)) {
    SelectObject(dc(), brush);
    SelectObject(dc(), GetStockObject(pen));
  }
  ~ShapeCanvas() {
    SelectObject(dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
  HBRUSH brush;
};

TEST(FillRectRaster, CoversLeftAndTopButNotRightAndBottom) {
  MemoryCanvas canvas(7, 5);
  HBRUSH red = CreateSolidBrush(kRed);
  const RECT rect{1, 1, 5, 3};
  EXPECT_TRUE(FillRect(canvas.dc(), &rect, red));
  DeleteObject(red);
  EXPECT_EQ(Draw(canvas), (Picture{
                              ".......",
                              ".rrrr..",
                              ".rrrr..",
                              ".......",
                              ".......",
                          }));
}

TEST(FillRectRaster, AReversedSideIsMirroredAboutItsStartingEdge) {
  // As PatBlt with a negative extent: from (6, 4) back to (3, 2) covers 4..6 x 3..4.
  MemoryCanvas canvas(8, 6);
  HBRUSH red = CreateSolidBrush(kRed);
  const RECT reversed{6, 4, 3, 2};
  FillRect(canvas.dc(), &reversed, red);
  DeleteObject(red);
  EXPECT_EQ(Draw(canvas), (Picture{
                              "........",
                              "........",
                              "........",
                              "....rrr.",
                              "....rrr.",
                              "........",
                          }));
}

TEST(RectangleRaster, OutlineOnTheBoxAndFillInside) {
  ShapeCanvas canvas(8, 7, BLACK_PEN);
  EXPECT_TRUE(Rectangle(canvas.dc(), 1, 1, 7, 6));
  EXPECT_EQ(Draw(canvas), (Picture{
                              "........",
                              ".######.",
                              ".#rrrr#.",
                              ".#rrrr#.",
                              ".#rrrr#.",
                              ".######.",
                              "........",
                          }));
}

TEST(RectangleRaster, WithoutAPenTheFillIsOnePixelSmaller) {
  ShapeCanvas canvas(8, 7, NULL_PEN);
  Rectangle(canvas.dc(), 7, 6, 1, 1);  // corners in either order
  EXPECT_EQ(Draw(canvas), (Picture{
                              "........",
                              ".rrrrr..",
                              ".rrrrr..",
                              ".rrrrr..",
                              ".rrrrr..",
                              "........",
                              "........",
                          }));
}

TEST(RectangleRaster, EmptyBoxDrawsNothing) {
  ShapeCanvas canvas(4, 4, BLACK_PEN);
  EXPECT_TRUE(Rectangle(canvas.dc(), 1, 1, 1, 3));
  EXPECT_EQ(Draw(canvas), (Picture{"....", "....", "....", "...."}));
}

TEST(PolygonRaster, FillTakesPixelsOnLeftAndTopEdgesOnly) {
  ShapeCanvas canvas(9, 9, NULL_PEN);
  const POINT diamond[] = {{4, 0}, {8, 4}, {4, 8}, {0, 4}};
  EXPECT_TRUE(Polygon(canvas.dc(), diamond, 4));
  EXPECT_EQ(Draw(canvas), (Picture{
                              ".........",
                              "...rr....",
                              "..rrrr...",
                              ".rrrrrr..",
                              "rrrrrrrr.",
                              ".rrrrrr..",
                              "..rrrr...",
                              "...rr....",
                              ".........",
                          }));
}

TEST(PolygonRaster, SlantedEdgesStartAtTheFirstPixelCentreInside) {
  ShapeCanvas canvas(9, 8, NULL_PEN);
  const POINT triangle[] = {{1, 0}, {8, 3}, {0, 7}};
  Polygon(canvas.dc(), triangle, 3);
  EXPECT_EQ(Draw(canvas), (Picture{
                              ".........",
                              ".rrr.....",
                              ".rrrrr...",
                              ".rrrrrrr.",
                              ".rrrrr...",
                              ".rrr.....",
                              ".r.......",
                              ".........",
                          }));
}

TEST(PolygonRaster, OutlineOverTheFillDrawsEveryVertex) {
  ShapeCanvas canvas(9, 9, BLACK_PEN);
  const POINT diamond[] = {{4, 0}, {8, 4}, {4, 8}, {0, 4}};
  Polygon(canvas.dc(), diamond, 4);
  EXPECT_EQ(Draw(canvas), (Picture{
                              "....#....",
                              "...#r#...",
                              "..#rrr#..",
                              ".#rrrrr#.",
                              "#rrrrrrr#",
                              ".#rrrrr#.",
                              "..#rrr#..",
                              "...#r#...",
                              "....#....",
                          }));
}

TEST(PolygonRaster, AlternateModeLeavesTheOverlapOfAStarEmpty) {
  ShapeCanvas canvas(11, 7, NULL_PEN);
  // Two overlapping rectangles traced as one outline: the shared part is crossed twice.
  const POINT figure[] = {{1, 1}, {7, 1}, {7, 6}, {4, 6}, {4, 3}, {10, 3}, {10, 5}, {1, 5}};
  Polygon(canvas.dc(), figure, 8);
  EXPECT_EQ(Draw(canvas), (Picture{
                              "...........",
                              ".rrrrrr....",
                              ".rrrrrr....",
                              ".rrr...rrr.",
                              ".rrr...rrr.",
                              "....rrr....",
                              "...........",
                          }));
}

TEST(PenLineRaster, ALineAndItsReverseCoverTheSamePixels) {
  // A two-point polygon draws the line there and back; Windows' tie-break makes both
  // directions pick the same pixels, so no pixel beside the line appears.
  MemoryCanvas canvas(6, 4);
  SelectObject(canvas.dc(), GetStockObject(NULL_BRUSH));
  const POINT line[] = {{0, 0}, {4, 2}};
  Polygon(canvas.dc(), line, 2);
  EXPECT_EQ(Draw(canvas), (Picture{
                              "##....",
                              "..##..",
                              "....#.",
                              "......",
                          }));
}

TEST(PenLineRaster, ShallowAndSteepSlopes) {
  MemoryCanvas canvas(8, 8);
  SelectObject(canvas.dc(), GetStockObject(NULL_BRUSH));
  const POINT triangle[] = {{0, 0}, {7, 2}, {2, 7}};
  Polygon(canvas.dc(), triangle, 3);
  EXPECT_EQ(Draw(canvas), (Picture{
                              "##......",
                              "#.####..",
                              ".#....##",
                              ".#....#.",
                              ".#...#..",
                              ".#..#...",
                              "..##....",
                              "..#.....",
                          }));
}

TEST(EllipseRaster, FillsItsBoxUpToButNotIncludingRightAndBottom) {
  ShapeCanvas canvas(12, 9, NULL_PEN);
  EXPECT_TRUE(Ellipse(canvas.dc(), 1, 1, 10, 8));
  EXPECT_EQ(Draw(canvas), (Picture{
                              "............",
                              "...rrrrr....",
                              "..rrrrrrr...",
                              ".rrrrrrrrr..",
                              ".rrrrrrrrr..",
                              ".rrrrrrrrr..",
                              "..rrrrrrr...",
                              "...rrrrr....",
                              "............",
                          }));
}

TEST(EllipseRaster, OutlineRunsOnTheEdgeOfTheSameBox) {
  ShapeCanvas canvas(12, 9, BLACK_PEN);
  Ellipse(canvas.dc(), 1, 1, 10, 8);
  EXPECT_EQ(Draw(canvas), (Picture{
                              "............",
                              "...#####....",
                              "..#rrrrr#...",
                              ".#rrrrrrr#..",
                              ".#rrrrrrr#..",
                              ".#rrrrrrr#..",
                              "..#rrrrr#...",
                              "...#####....",
                              "............",
                          }));
}

TEST(EllipseRaster, AStoneIsSymmetricAndSpansItsDiameter) {
  // The board's stones: radius 24 around (30, 30), box (6, 6)-(55, 55).
  ShapeCanvas canvas(62, 62, NULL_PEN);
  Ellipse(canvas.dc(), 6, 6, 55, 55);
  const Picture picture = Draw(canvas);
  for (int y = 0; y <= 60; ++y) {
    for (int x = 0; x <= 60; ++x) {
      const bool filled = picture[y][x] == 'r';
      EXPECT_EQ(filled, picture[60 - y][x] == 'r') << x << ", " << y;
      EXPECT_EQ(filled, picture[y][60 - x] == 'r') << x << ", " << y;
      if (x < 6 || x > 54 || y < 6 || y > 54) {
        EXPECT_FALSE(filled) << x << ", " << y;
      }
    }
  }
  EXPECT_EQ(picture[30].find('r'), 6u);
  EXPECT_EQ(picture[30].rfind('r'), 54u);
  EXPECT_EQ(picture[6].find('r') + picture[6].rfind('r'), 60u);
}

TEST(EllipseRaster, TooThinToRoundIsARectangle) {
  ShapeCanvas canvas(6, 4, NULL_PEN);
  Ellipse(canvas.dc(), 1, 1, 5, 3);
  EXPECT_EQ(Draw(canvas), (Picture{"......", ".rrr..", "......", "......"}));
}

TEST(HatchRaster, DiagonalCrossIsAnEightByEightPatternOnWhite) {
  MemoryCanvas canvas(8, 8, kRed);
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, kBlue);
  const RECT all{0, 0, 8, 8};
  FillRect(canvas.dc(), &all, hatch);
  DeleteObject(hatch);
  EXPECT_EQ(Draw(canvas), (Picture{
                              "b......b",
                              ".b....b.",
                              "..b..b..",
                              "...bb...",
                              "...bb...",
                              "..b..b..",
                              ".b....b.",
                              "b......b",
                          }));
}

TEST(HatchRaster, PatternIsAlignedToTheDeviceNotToTheShape) {
  MemoryCanvas canvas(13, 11, kRed);
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, kBlue);
  SetViewportOrgEx(canvas.dc(), 2, 1, nullptr);
  const RECT rect{1, 2, 10, 9};  // device pixels (3, 3) to (12, 10)
  FillRect(canvas.dc(), &rect, hatch);
  DeleteObject(hatch);
  const Picture picture = Draw(canvas);
  for (int y = 0; y < 11; ++y) {
    for (int x = 0; x < 13; ++x) {
      const bool inside = x >= 3 && x < 12 && y >= 3 && y < 10;
      const bool line = (x % 8) == (y % 8) || (x % 8) == 7 - (y % 8);
      EXPECT_EQ(picture[y][x], !inside ? 'r' : line ? 'b' : '.') << x << ", " << y;
    }
  }
}

TEST(HatchRaster, GapsFollowTheBackgroundColourAndMode) {
  MemoryCanvas canvas(8, 1, kRed);
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, kBlue);
  const RECT row{0, 0, 8, 1};
  EXPECT_EQ(SetBkMode(canvas.dc(), TRANSPARENT), OPAQUE);
  FillRect(canvas.dc(), &row, hatch);
  EXPECT_EQ(Draw(canvas), (Picture{"brrrrrrb"}));
  SetBkMode(canvas.dc(), OPAQUE);
  EXPECT_EQ(SetBkColor(canvas.dc(), RGB(0, 0, 0)), RGB(255, 255, 255));
  FillRect(canvas.dc(), &row, hatch);
  EXPECT_EQ(Draw(canvas), (Picture{"b######b"}));
  DeleteObject(hatch);
  EXPECT_EQ(CreateHatchBrush(6, kBlue), nullptr);
}

TEST(ShapesRaster, DrawingIsClippedToTheBitmap) {
  ShapeCanvas canvas(4, 4, BLACK_PEN);
  const POINT big[] = {{-10, -10}, {20, -10}, {20, 20}, {-10, 20}};
  EXPECT_TRUE(Polygon(canvas.dc(), big, 4));
  Ellipse(canvas.dc(), -100, -100, 100, 100);
  EXPECT_EQ(Draw(canvas), (Picture{"rrrr", "rrrr", "rrrr", "rrrr"}));
}

}  // namespace
