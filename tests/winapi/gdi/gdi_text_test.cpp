// wsprintfA, the CP932 text API and DrawTextA.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "gdi/surface.h"
#include "gdi/text.h"
#include "gdi_testing.h"

namespace {

using winapi::MemoryCanvas;
using winapi::Surface;


// Pixels dark in all three channels: the ink of black text.
int DarkPixels(const Surface& image, const RECT& area) {
  int dark = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const uint32_t pixel = image.At(x, y);
      if ((pixel >> 16) < 128 && ((pixel >> 8) & 0xFF) < 128 && (pixel & 0xFF) < 128) ++dark;
    }
  }
  return dark;
}

TEST(Wsprintf, FormatsStringsAndNumbersWithFlags) {
  char buffer[64];
  EXPECT_EQ(wsprintfA(buffer, "%s|%d|%i|%u", "ab", -12, 0, 4000000000u), 19);
  EXPECT_STREQ(buffer, "ab|-12|0|4000000000");
  wsprintfA(buffer, "[%5d][%-5d][%05d][%-3s][%3s][%.2s]", -42, 7, -42, "x", "y", "abc");
  EXPECT_STREQ(buffer, "[  -42][7    ][-0042][x  ][  y][ab]");
  wsprintfA(buffer, "%x %X %c %% %ld %hd", 255, 255, 'q', 123456L, 70000);
  EXPECT_STREQ(buffer, "ff FF q % 123456 4464");
  wsprintfA(buffer, "%s", static_cast<const char*>(nullptr));
  EXPECT_STREQ(buffer, "(null)");
  // A format that ends inside a conversion keeps its text, and reading stops at its end.
  EXPECT_EQ(wsprintfA(buffer, "50%"), 3);
  EXPECT_STREQ(buffer, "50%");
  EXPECT_EQ(wsprintfA(buffer, "x%-05"), 5);
  EXPECT_STREQ(buffer, "x%-05");
}

TEST(Wsprintf, CopiesCodePage932BytesUntouched) {
  char buffer[64];
  wsprintfA(buffer, "%sの番です", "黒");
  EXPECT_STREQ(buffer, "\x8D\x95\x82\xCC\x94\xD4\x82\xC5\x82\xB7");
}

TEST(Wsprintf, NeverWritesMoreThan1024Bytes) {
  const std::string longName(3000, 'n');
  char buffer[2048];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(wsprintfA(buffer, "name %s end", longName.c_str()), 1023);
  EXPECT_EQ(buffer[1023], '\0');
  EXPECT_EQ(buffer[1024], '#');
  EXPECT_EQ(std::string(buffer, 5), "name ");
}

TEST(Cp932Text, SplitsLinesAtLineFeedsButNotInsideDoubleByteCharacters) {
  // 0x8A 0x0A is not a character but must not hide the line feed either; 0x95 0x5C is 表.
  const auto lines = winapi::SplitTextLines("a\r\nb\x8A\nc\rd\x95\x5C\n");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[1], "b\x8A");
  EXPECT_EQ(lines[2], "c");
  EXPECT_EQ(lines[3], "d\x95\x5C");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(winapi::SplitTextLines("").size(), 1u);
}

TEST(Cp932Text, MeasuresLinesOfAboutSixteenPixels) {
  const winapi::TextExtent six = winapi::MeasureText("黒の番です\n1 手目\n● Human\n    2 目\n○ Random\n    2 目");
  EXPECT_EQ(six.lines, 6);
  EXPECT_EQ(six.lineHeight, 16);
  // Full-width characters are square: five of them about 80 pixels.
  EXPECT_EQ(six.width, winapi::MeasureText("黒の番です").width);
  EXPECT_NEAR(six.width, 80, 4);
  EXPECT_GT(winapi::MeasureText("WW").width, winapi::MeasureText("W").width);
  EXPECT_EQ(winapi::MeasureText("").width, 0);
}

TEST(Cp932Text, DrawsRealJapaneseGlyphs) {
  // A font without Japanese glyphs draws the same box for every kanji.
  auto ink = [](const char* text) {
    winapi::Surface surface(24, 16, 0xFFFFFF);
    winapi::DrawTextOnSurface(surface, 0, 0, text, RGB(0, 0, 0), RECT{0, 0, 24, 16});
    return surface.pixels;
  };
  EXPECT_NE(ink("黒"), ink("白"));
  EXPECT_NE(ink("●"), ink("○"));
  EXPECT_NE(ink("黒"), ink("\x81\x45"));  // ・, a katakana middle dot, almost empty
}

TEST(Cp932Text, SurfaceTextStaysInsideItsClipAndMarksTheSurfaceChanged) {
  winapi::Surface surface(60, 30, 0xFFFFFF);
  const uint64_t generation = surface.generation;
  winapi::DrawTextOnSurface(surface, 2, 2, "黒白黒白", RGB(0, 0, 0), RECT{10, 0, 40, 12});
  EXPECT_GT(surface.generation, generation);
  EXPECT_GT(DarkPixels(surface, {10, 0, 40, 12}), 20);
  EXPECT_EQ(DarkPixels(surface, {0, 0, 10, 30}), 0);
  EXPECT_EQ(DarkPixels(surface, {40, 0, 60, 30}), 0);
  EXPECT_EQ(DarkPixels(surface, {10, 12, 40, 30}), 0);
}

TEST(Cp932Text, UnderlinesTheMarkedCharacter) {
  winapi::Surface plain(60, 20, 0xFFFFFF), marked(60, 20, 0xFFFFFF);
  winapi::DrawTextOnSurface(plain, 0, 0, "ab", RGB(0, 0, 0), RECT{0, 0, 60, 20});
  winapi::DrawTextOnSurface(marked, 0, 0, "ab", RGB(0, 0, 0), RECT{0, 0, 60, 20}, 1);
  const int aWidth = winapi::MeasureText("a").width;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < aWidth; ++x) EXPECT_EQ(plain.Row(y)[x], marked.Row(y)[x]) << "a is not underlined";
  EXPECT_NE(plain.pixels, marked.pixels);
}

TEST(DrawText, BreaksAtLineFeedsAndClipsToTheRectangle) {
  MemoryCanvas canvas(120, 60, RGB(255, 0, 0));
  RECT rect{10, 5, 70, 37};  // room for two lines of three
  EXPECT_EQ(DrawTextA(canvas.dc(), "黒白黒白黒\nAB\n白", -1, &rect, 0), 48);
  const Surface image = canvas.Pixels();
  EXPECT_GT(DarkPixels(image, {10, 5, 70, 21}), 30);
  EXPECT_GT(DarkPixels(image, {10, 21, 70, 37}), 5);
  // Nothing outside the rectangle, not even the background of the glyph cells.
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x)
      if (x < 10 || x >= 70 || y < 5 || y >= 37) {
        EXPECT_EQ(image.At(x, y), 0xFF0000u) << x << ", " << y;
      }
  // The second line starts 16 pixels below the first, at the left edge.
  EXPECT_EQ(DarkPixels(image, {10, 21, 70, 24}), 0) << "cap height above the ascent of 'AB'";
}

TEST(DrawText, OpaqueModeFillsTheGlyphCellsWithTheBackground) {
  MemoryCanvas canvas(80, 20, RGB(255, 0, 0));
  RECT rect{0, 0, 80, 20};
  DrawTextA(canvas.dc(), "AB", 2, &rect, 0);
  const int width = winapi::MeasureText("AB").width;
  const Surface opaque = canvas.Pixels();
  EXPECT_EQ(opaque.At(0, 0), 0xFFFFFFu) << "white background behind the first glyph";
  EXPECT_EQ(opaque.At(width - 1, 15), 0xFFFFFFu);
  EXPECT_EQ(opaque.At(width, 0), 0xFF0000u) << "only the text's own cell";
  EXPECT_EQ(opaque.At(0, 16), 0xFF0000u);

  MemoryCanvas transparent(80, 20, RGB(255, 0, 0));
  SetBkMode(transparent.dc(), TRANSPARENT);
  SetTextColor(transparent.dc(), RGB(0, 0, 255));
  DrawTextA(transparent.dc(), "AB", -1, &rect, 0);
  const Surface blue = transparent.Pixels();
  EXPECT_EQ(blue.At(0, 0), 0xFF0000u);
  bool sawBlue = false;
  for (uint32_t pixel : blue.pixels) sawBlue |= pixel == 0x0000FFu;
  EXPECT_TRUE(sawBlue);
}

TEST(DrawText, CalcRectMeasuresWithoutDrawingAndAlignmentPlacesTheLine) {
  MemoryCanvas canvas(100, 40);
  RECT rect{5, 6, 5, 6};
  EXPECT_EQ(DrawTextA(canvas.dc(), "AB\nC", -1, &rect, DT_CALCRECT), 32);
  EXPECT_EQ(rect.right, 5 + winapi::MeasureText("AB").width);
  EXPECT_EQ(rect.bottom, 38);
  EXPECT_EQ(DarkPixels(canvas.Pixels(), {0, 0, 100, 40}), 0);

  RECT box{0, 0, 100, 40};
  DrawTextA(canvas.dc(), "&Tab", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  const Surface image = canvas.Pixels();
  const int width = winapi::MeasureText("Tab").width;
  const int left = (100 - width) / 2;
  EXPECT_GT(DarkPixels(image, {left, 12, left + width, 28}), 10);
  EXPECT_EQ(DarkPixels(image, {0, 0, left, 40}), 0);
  EXPECT_EQ(DarkPixels(image, {left + width, 0, 100, 40}), 0);
  EXPECT_EQ(DarkPixels(image, {0, 0, 100, 12}), 0);

  // Right and bottom alignment; a single line drops its line breaks.
  MemoryCanvas corner(100, 40);
  RECT all{0, 0, 100, 40};
  DrawTextA(corner.dc(), "T\nab", -1, &all, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
  const Surface placed = corner.Pixels();
  const winapi::TextExtent size = winapi::MeasureText("Tab");
  EXPECT_GT(DarkPixels(placed, {100 - size.width, 40 - size.lineHeight, 100, 40}), 10);
  EXPECT_EQ(DarkPixels(placed, {0, 0, 100 - size.width, 40}), 0);
  EXPECT_EQ(DarkPixels(placed, {0, 0, 100, 40 - size.lineHeight}), 0);
}

// Texts with nothing to draw, as Windows answers them (text.c, test_DrawTextCalcRect): a
// length of 0 answers 0 and leaves the rectangle; "" and a null text counted to their end
// answer a line's height, and DT_CALCRECT makes the rectangle empty unless on a single line.
TEST(DrawText, NothingToDrawAnswersAsWindowsDoes) {
  MemoryCanvas canvas(100, 100);
  const int line = winapi::MeasureText("").lineHeight;
  enum class Rect { Unchanged, Empty, OneLine };
  struct Call {
    const char* text;
    int length;
    UINT format;
    int answer;
    Rect rect;
  };
  const Call calls[] = {
      {"abc", 0, DT_CALCRECT, 0, Rect::Unchanged},
      {"abc", 0, DT_CALCRECT | DT_SINGLELINE, 0, Rect::Unchanged},
      {nullptr, 0, DT_CALCRECT, 0, Rect::Unchanged},
      {nullptr, 0, DT_CALCRECT | DT_SINGLELINE, 0, Rect::Unchanged},
      {"", -1, DT_CALCRECT, line, Rect::Empty},
      {nullptr, -1, DT_CALCRECT, line, Rect::Empty},
      {"", -1, DT_CALCRECT | DT_SINGLELINE, line, Rect::OneLine},
      {nullptr, -1, DT_CALCRECT | DT_SINGLELINE, line, Rect::OneLine},
      {"abc", 0, 0, 0, Rect::Unchanged},
      {"", -1, 0, line, Rect::Unchanged},
      {nullptr, -1, 0, line, Rect::Unchanged},
      {nullptr, 10, 0, 0, Rect::Unchanged},
  };
  for (size_t i = 0; i < std::size(calls); ++i) {
    const Call& call = calls[i];
    RECT rect{10, 10, 100, 100};
    EXPECT_EQ(DrawTextA(canvas.dc(), call.text, call.length, &rect, call.format), call.answer) << i;
    const RECT expected = call.rect == Rect::Unchanged ? RECT{10, 10, 100, 100}
                          : call.rect == Rect::Empty   ? RECT{10, 10, 10, 10}
                                                       : RECT{10, 10, 10, 10 + line};
    EXPECT_TRUE(rect.left == expected.left && rect.top == expected.top && rect.right == expected.right &&
                rect.bottom == expected.bottom)
        << i << ": " << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
  }
}

}  // namespace
