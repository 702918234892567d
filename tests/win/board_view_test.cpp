// Cell geometry, picking and the drawn board.
#include "win/board_view.h"

#include <gtest/gtest.h>

#include "gdi_testing.h"
#include "rules/board.h"

namespace {

using winapi::MemoryCanvas;
using winapi::Surface;
using winapi::PixelOf;

TEST(CellCenter, CentresOfEvenAndOddRows) {
  EXPECT_EQ(CellCenter(0, 0).x, 27);
  EXPECT_EQ(CellCenter(0, 0).y, 32);
  EXPECT_EQ(CellCenter(1, 0).x, 83);
  EXPECT_EQ(CellCenter(0, 1).x, 55);
  EXPECT_EQ(CellCenter(0, 1).y, 80);
  EXPECT_EQ(CellCenter(7, 7).x, 443);
  EXPECT_EQ(CellCenter(7, 7).y, 368);
  const int even[8] = {27, 83, 138, 193, 249, 304, 360, 415};
  const int odd[8] = {55, 110, 166, 221, 277, 332, 387, 443};
  for (int x = 0; x < 8; ++x) {
    for (int y = 0; y < 8; ++y) {
      EXPECT_EQ(CellCenter(x, y).x, y % 2 ? odd[x] : even[x]) << x << ", " << y;
      EXPECT_EQ(CellCenter(x, y).y, 48 * y + 32) << x << ", " << y;
    }
  }
  EXPECT_EQ(CellCenter(0, -1).x, 55) << "a negative odd row is odd";
}

struct PickCase {
  int px, py;
  CellPos cell;
};

TEST(PickCell, WorkedExamples) {
  const PickCase cases[] = {
      {27, 32, {0, 0}},   {221, 272, {3, 5}}, {443, 368, {7, 7}}, {100, 30, {1, 0}},
      {83, 50, {1, 0}},   {60, 60, {0, 1}},   {55, 48, {1, 0}},   {427, 8, {7, -1}},
      {0, 63, {0, 0}},    {-5, 20, {-1, 0}},  {100, -3, {1, -1}}, {415, 399, {7, 8}},
  };
  for (const PickCase& c : cases) EXPECT_EQ(PickCell(c.px, c.py), c.cell) << c.px << ", " << c.py;
}

TEST(PickCell, TheCentreOfEveryCellPicksThatCell) {
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) EXPECT_EQ(PickCell(CellCenter(x, y).x, CellCenter(x, y).y), (CellPos{x, y}));
}

TEST(PickCell, AboveTheBoardIsRowMinusOne) {
  for (int py = -47; py <= -1; ++py)
    for (int px : {30, 100, 250, 440}) EXPECT_EQ(PickCell(px, py).y, -1) << px << ", " << py;
}

constexpr COLORREF kBoard = RGB(63, 159, 111);
constexpr COLORREF kUntouched = RGB(255, 0, 255);
constexpr int kOrigin = 10;

class BoardDrawing : public ::testing::Test {
 protected:
  BoardDrawing() : board(kOrigin, kOrigin), canvas(500, 430, kUntouched) {}
  Surface Draw() {
    board.Draw(canvas.dc());
    return canvas.Pixels();
  }
  static uint32_t At(const Surface& image, int x, int y) { return image.At(x + kOrigin, y + kOrigin); }
  Board board;
  MemoryCanvas canvas;
};

TEST_F(BoardDrawing, OpeningStonesCellsAndUntouchedGaps) {
  const Surface image = Draw();
  for (int x = 0; x < 8; ++x) {
    for (int y = 0; y < 8; ++y) {
      const POINT c = CellCenter(x, y);
      const Color* stone = board.GetCell(x, y);
      const uint32_t disc = stone == Black() ? 0u : stone == White() ? 0xFFFFFFu : PixelOf(kBoard);
      // The stone: radius 24 each way from the centre, nothing at 25.
      for (const POINT p : {POINT{0, 0}, POINT{-24, 0}, POINT{24, 0}, POINT{0, -24}, POINT{0, 24}, POINT{12, -15}})
        EXPECT_EQ(At(image, c.x + p.x, c.y + p.y), disc) << x << ", " << y << " at " << p.x << ", " << p.y;
      for (const POINT p : {POINT{-25, 0}, POINT{25, 0}, POINT{0, -25}, POINT{0, 25}, POINT{-18, 18}, POINT{18, -18},
                            POINT{0, -28}, POINT{-26, 0}})
        EXPECT_EQ(At(image, c.x + p.x, c.y + p.y), PixelOf(kBoard)) << x << ", " << y << " at " << p.x << ", " << p.y;
      // The top and bottom vertices stand straight above and below the centre.
      EXPECT_EQ(At(image, c.x, c.y - 32), 0u) << x << ", " << y;
      EXPECT_EQ(At(image, c.x, c.y + 32), 0u) << x << ", " << y;
    }
  }
  // Outside every hexagon the canvas keeps its colour.
  for (const POINT p : {POINT{0, 0}, POINT{0, 63}, POINT{2, 60}, POINT{471, 0}, POINT{480, 200}, POINT{5, 380},
                        POINT{468, 396}, POINT{-1, 200}, POINT{200, 401}})
    EXPECT_EQ(At(image, p.x, p.y), PixelOf(kUntouched)) << p.x << ", " << p.y;
}

TEST_F(BoardDrawing, ListedOutlinesAreBlack) {
  const Surface image = Draw();
  const POINT outlines[] = {{0, 16},   {0, 48},   {27, 64},  {55, 48},  {55, 16},  {27, 0},
                            {27, 64},  {27, 96},  {55, 112}, {83, 96},  {83, 64},  {55, 48},
                            {415, 352}, {415, 384}, {443, 400}, {471, 384}, {471, 352}, {443, 336}};
  for (const POINT v : outlines) EXPECT_EQ(At(image, v.x, v.y), 0u) << v.x << ", " << v.y;
  // Straight sides run down from vertex to vertex, one pixel wide.
  for (int y = 16; y <= 48; ++y) {
    EXPECT_EQ(At(image, 0, y), 0u) << y;
    EXPECT_EQ(At(image, -1, y), PixelOf(kUntouched)) << y;
    EXPECT_EQ(At(image, 1, y), PixelOf(kBoard)) << y;
  }
}

TEST_F(BoardDrawing, OnlyBoardColourOutlineAndStonesAppear) {
  const Surface image = Draw();
  int board_pixels = 0;
  for (uint32_t pixel : image.pixels) {
    ASSERT_TRUE(pixel == PixelOf(kBoard) || pixel == 0 || pixel == 0xFFFFFF || pixel == PixelOf(kUntouched))
        << std::hex << pixel;
    board_pixels += pixel == PixelOf(kBoard);
  }
  // 64 hexagons of about 32·√3·48 pixels each, less their outlines and four stones.
  EXPECT_GT(board_pixels, 64 * 2400);
  EXPECT_LT(board_pixels, 64 * 2661);
}

TEST_F(BoardDrawing, TakeBackLeavesOnlyTheBoardColour) {
  ASSERT_TRUE(board.Place(2, 3, Black()));
  Surface image = Draw();
  const POINT placed = CellCenter(2, 3);
  const POINT turned = CellCenter(3, 3);
  EXPECT_EQ(At(image, placed.x, placed.y), 0u);
  EXPECT_EQ(At(image, turned.x, turned.y), 0u);

  board.Undo();
  image = Draw();
  for (int dy = -24; dy <= 24; ++dy)
    for (int dx = -24; dx <= 24; ++dx) {
      if (dx * dx + dy * dy > 24 * 24) continue;
      EXPECT_EQ(At(image, placed.x + dx, placed.y + dy), PixelOf(kBoard)) << dx << ", " << dy;
      EXPECT_EQ(At(image, turned.x + dx, turned.y + dy), 0xFFFFFFu) << dx << ", " << dy;
    }
}

TEST_F(BoardDrawing, RestoresTheViewportAndCreatesNothing) {
  SetViewportOrgEx(canvas.dc(), 3, 4, nullptr);
  const size_t before = winapi::LiveGdiObjectCount();
  board.Draw(canvas.dc());
  EXPECT_EQ(winapi::LiveGdiObjectCount(), before);
  POINT previous{};
  SetViewportOrgEx(canvas.dc(), 0, 0, &previous);
  EXPECT_EQ(previous.x, 3);
  EXPECT_EQ(previous.y, 4);
  // The null pen stays selected, and the brush of cell (7, 7), which is empty.
  EXPECT_EQ(SelectObject(canvas.dc(), GetStockObject(BLACK_PEN)), GetStockObject(NULL_PEN));
  EXPECT_EQ(SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH)), GetStockObject(NULL_BRUSH));
}

}  // namespace
