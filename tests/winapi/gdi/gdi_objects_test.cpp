// Handles, selection and the object count; surfaces, viewport and BitBlt.
#include <gtest/gtest.h>
#include <windows.h>

#include "gdi/surface.h"
#include "gdi_testing.h"
#include "user_testing.h"

namespace {

using winapi::LiveGdiObjectCount;
using winapi::MemoryCanvas;
using winapi::PixelOf;

TEST(GdiObjects, EveryCreatedObjectCountsUntilDeletedAndStockObjectsNever) {
  const size_t before = LiveGdiObjectCount();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
  HBRUSH solid = CreateSolidBrush(RGB(1, 2, 3));
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(191, 207, 223));
  ASSERT_TRUE(dc && bitmap && solid && hatch);
  // Pixels beyond what any memory holds: no bitmap, and nothing left of it.
  EXPECT_EQ(CreateCompatibleBitmap(dc, 0x7fffffff, 0x7fffffff), nullptr);
  EXPECT_EQ(LiveGdiObjectCount(), before + 4);

  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_TRUE(DeleteObject(GetStockObject(NULL_PEN)));
  EXPECT_EQ(LiveGdiObjectCount(), before + 4);
  EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);

  EXPECT_TRUE(DeleteObject(solid));
  EXPECT_TRUE(DeleteObject(hatch));
  EXPECT_FALSE(DeleteObject(solid)) << "a deleted handle is stale, not reused";
  EXPECT_FALSE(DeleteObject(dc)) << "a device context goes with DeleteDC";
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(LiveGdiObjectCount(), before);
}

TEST(GdiObjects, SelectObjectReturnsThePreviousObjectOfTheSameKind) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));

  // A new DC holds the black pen, the white brush and a default bitmap.
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
  HGDIOBJ defaultBitmap = SelectObject(dc, bitmap);
  ASSERT_NE(defaultBitmap, nullptr);
  EXPECT_NE(defaultBitmap, bitmap);
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), brush);
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), GetStockObject(NULL_PEN));
  EXPECT_EQ(SelectObject(dc, defaultBitmap), bitmap);

  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  EXPECT_EQ(SelectObject(nullptr, brush), nullptr);
  DeleteObject(brush);
  EXPECT_EQ(SelectObject(dc, brush), nullptr) << "a deleted brush cannot be selected";
  DeleteDC(dc);
  DeleteObject(bitmap);
}

TEST(GdiObjects, AnObjectStillSelectedCannotBeDeleted) {
  const size_t before = LiveGdiObjectCount();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  SelectObject(dc, bitmap);
  SelectObject(dc, brush);
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(bitmap));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(brush));
  // Deleting the DC lets go of its bitmap.
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(LiveGdiObjectCount(), before);
}

TEST(GdiObjects, ABitmapLivesInOneMemoryDCAtATime) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(first);
  HBITMAP bitmap = CreateCompatibleBitmap(first, 3, 3);
  ASSERT_NE(SelectObject(first, bitmap), nullptr);
  EXPECT_EQ(SelectObject(second, bitmap), nullptr);
  DeleteDC(first);
  EXPECT_NE(SelectObject(second, bitmap), nullptr);
  DeleteDC(second);
  DeleteObject(bitmap);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 3, 3), nullptr);
  EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(0x12345678)), nullptr);
}

TEST(GdiObjects, ABitmapStartsBlack) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 3, 2);
  SelectObject(dc, bitmap);
  const winapi::Surface pixels = winapi::CopyDCPixels(dc);
  EXPECT_EQ(pixels, winapi::Surface(3, 2, 0));

  // Copied from before anything was drawn into it, too.
  MemoryCanvas white(3, 2);
  EXPECT_TRUE(BitBlt(white.dc(), 0, 0, 3, 2, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(white.Pixels(), pixels);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

TEST(PixelOutput, OffEveryCallIsCheckedAsEverButNoPixelChanges) {
  winapi::UseHeadlessDisplay();  // whose switch it is
  MemoryCanvas canvas(8, 6);
  MemoryCanvas black(8, 6, RGB(0, 0, 0));
  const winapi::Surface white = canvas.Pixels();
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  const RECT all{0, 0, 8, 6};
  RECT text = all;
  const POINT triangle[3] = {{0, 0}, {7, 0}, {0, 5}};
  HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));

  winapi::SetPixelOutput(false);
  EXPECT_EQ(FillRect(canvas.dc(), &all, brush), 1);
  EXPECT_TRUE(Rectangle(canvas.dc(), 0, 0, 8, 6));
  EXPECT_TRUE(Ellipse(canvas.dc(), 0, 0, 8, 6));
  EXPECT_TRUE(Polygon(canvas.dc(), triangle, 3));
  EXPECT_TRUE(BitBlt(canvas.dc(), 0, 0, 8, 6, black.dc(), 0, 0, SRCCOPY));
  EXPECT_GT(DrawTextA(canvas.dc(), "ab", -1, &text, DT_LEFT), 0);
  EXPECT_EQ(FillRect(gone, &all, brush), 0);
  EXPECT_FALSE(Rectangle(gone, 0, 0, 8, 6));
  EXPECT_FALSE(Ellipse(gone, 0, 0, 8, 6));
  EXPECT_FALSE(Polygon(gone, triangle, 3));
  EXPECT_FALSE(BitBlt(canvas.dc(), 0, 0, 8, 6, gone, 0, 0, SRCCOPY));
  EXPECT_EQ(DrawTextA(gone, "ab", -1, &text, DT_LEFT), 0);
  const winapi::Surface untouched = canvas.Pixels();
  winapi::SetPixelOutput(true);
  EXPECT_EQ(untouched, white);

  EXPECT_TRUE(BitBlt(canvas.dc(), 0, 0, 8, 6, black.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(canvas.Pixels(), black.Pixels());
}

TEST(SurfaceDC, DrawsIntoTheSurfaceAndIsReleasedNotDeleted) {
  winapi::Surface surface(8, 6, 0x123456);
  const size_t before = LiveGdiObjectCount();
  HDC dc = winapi::CreateSurfaceDC(&surface);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(LiveGdiObjectCount(), before + 1);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  EXPECT_EQ(SelectObject(dc, bitmap), nullptr) << "only memory DCs take bitmaps";
  DeleteObject(bitmap);

  const uint64_t generation = surface.generation;
  const RECT rect{1, 1, 3, 2};
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_GT(surface.generation, generation) << "the window must learn that its pixels changed";
  EXPECT_EQ(surface.Row(1)[1], 0u);
  EXPECT_EQ(surface.Row(1)[2], 0u);
  EXPECT_EQ(surface.Row(1)[3], 0x123456u);

  EXPECT_FALSE(DeleteDC(dc));
  winapi::ReleaseSurfaceDC(dc);
  EXPECT_EQ(LiveGdiObjectCount(), before);
  EXPECT_EQ(winapi::CreateSurfaceDC(nullptr), nullptr);
}

TEST(Viewport, MovesTheLogicalOriginAndReportsThePreviousOne) {
  MemoryCanvas canvas(6, 6);
  POINT previous{-1, -1};
  EXPECT_TRUE(SetViewportOrgEx(canvas.dc(), 2, 3, &previous));
  EXPECT_EQ(previous.x, 0);
  EXPECT_EQ(previous.y, 0);
  const RECT rect{0, 0, 1, 1};
  FillRect(canvas.dc(), &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_TRUE(SetViewportOrgEx(canvas.dc(), 0, 0, &previous));
  EXPECT_EQ(previous.x, 2);
  EXPECT_EQ(previous.y, 3);
  const winapi::Surface pixels = canvas.Pixels();
  EXPECT_EQ(pixels.At(2, 3), 0u);
  EXPECT_EQ(pixels.At(0, 0), 0xFFFFFFu);
}

TEST(BitBlt, CopiesTheOverlapOfBothBitmapsAtTheirOrigins) {
  MemoryCanvas source(4, 3, RGB(255, 0, 0));
  MemoryCanvas dest(5, 5, RGB(0, 0, 255));
  const RECT corner{0, 0, 1, 1};
  FillRect(source.dc(), &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  // The viewport of the destination moves the target; the copy is cut at the edges.
  SetViewportOrgEx(dest.dc(), 1, 0, nullptr);
  EXPECT_TRUE(BitBlt(dest.dc(), 2, 3, 10, 10, source.dc(), 0, 0, SRCCOPY));
  const winapi::Surface pixels = dest.Pixels();
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      uint32_t expected = PixelOf(RGB(0, 0, 255));
      if (x >= 3 && y >= 3) expected = PixelOf(RGB(255, 0, 0));
      if (x == 3 && y == 3) expected = 0;
      EXPECT_EQ(pixels.At(x, y), expected) << x << ", " << y;
    }
  }
  EXPECT_FALSE(BitBlt(dest.dc(), 0, 0, 1, 1, source.dc(), 0, 0, 0x00EE0086 /* SRCPAINT */));
}

}  // namespace
