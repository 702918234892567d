// The panel's texts, counts and frame.
#include "game/status_panel.h"

#include <gtest/gtest.h>

#include <string>

#include "gdi_testing.h"

namespace {

using winapi::MemoryCanvas;
using winapi::Surface;

class NamedCom : public ICom {
 public:
  explicit NamedCom(std::string name) : name_(std::move(name)) {}
  CellPos NextMove() override { return {-1, -1}; }
  const Color* GetColor() const override { return White(); }
  void SetColor(const Color*) override {}
  const char* GetName() const override { return name_.c_str(); }

 private:
  std::string name_;
};

std::string Line(const std::string& text, int index) {
  size_t begin = 0;
  for (int i = 0; i < index; ++i) begin = text.find('\n', begin) + 1;
  return text.substr(begin, text.find('\n', begin) - begin);
}

TEST(StatusPanelText, OpeningAgainstRandomInCodePage932) {
  Board board(10, 10);
  NamedCom random("Random");
  StatusPanel panel(491, 10, &board);
  panel.Update(0, &random, false, nullptr);
  // 黒の番です / 1 手目 / ● Human / 2 目 / ○ Random / 2 目, byte for byte.
  EXPECT_EQ(panel.Text(),
            "\x8D\x95\x82\xCC\x94\xD4\x82\xC5\x82\xB7\n"
            "1 \x8E\xE8\x96\xDA\n"
            "\x81\x9C Human\n"
            "    2 \x96\xDA\n"
            "\x81\x9B Random\n"
            "    2 \x96\xDA");
}

TEST(StatusPanelText, WhiteToMoveWithTwoHumans) {
  Board board(10, 10);
  StatusPanel panel(491, 10, &board);
  panel.Update(1, nullptr, false, nullptr);
  const std::string text = panel.Text();
  EXPECT_EQ(Line(text, 0), "白の番です");
  EXPECT_EQ(Line(text, 1), "2 手目");
  EXPECT_EQ(Line(text, 4), "○ Human");
}

TEST(StatusPanelText, ResultLinesForAWinAndADraw) {
  Board board(10, 10);
  NamedCom alpha("Alpha");
  StatusPanel panel(491, 10, &board);
  panel.Update(61, &alpha, true, White());
  std::string text = panel.Text();
  EXPECT_EQ(Line(text, 0), "白の勝ちです");
  EXPECT_EQ(Line(text, 1), "61 手で終了");
  EXPECT_EQ(Line(text, 4), "○ Alpha");

  panel.Update(62, &alpha, true, Black());
  EXPECT_EQ(Line(panel.Text(), 0), "黒の勝ちです");
  EXPECT_EQ(Line(panel.Text(), 1), "62 手で終了");

  panel.Update(60, &alpha, true, nullptr);
  text = panel.Text();
  EXPECT_EQ(Line(text, 0), "引き分けです");
  EXPECT_EQ(Line(text, 1), "60 手で終了");
  EXPECT_EQ(Line(text, 5), "    2 目");
}

TEST(StatusPanelText, CountsTheBoardNowAndTheMoveOfTheLastUpdate) {
  Board board(10, 10);
  StatusPanel panel(491, 10, &board);
  panel.Update(0, nullptr, false, nullptr);
  ASSERT_TRUE(board.Place(2, 3, Black()));
  const std::string text = panel.Text();
  EXPECT_EQ(Line(text, 0), "黒の番です");
  EXPECT_EQ(Line(text, 1), "1 手目");
  EXPECT_EQ(Line(text, 3), "    4 目");
  EXPECT_EQ(Line(text, 5), "    1 目");
}

TEST(StatusPanelText, AnOverlongNameIsCutInsteadOfOverflowing) {
  Board board(10, 10);
  NamedCom verbose(std::string(5000, 'x'));
  StatusPanel panel(491, 10, &board);
  panel.Update(0, &verbose, false, nullptr);
  const std::string text = panel.Text();
  EXPECT_EQ(text.size(), 1023u);
  EXPECT_EQ(Line(text, 4).substr(0, 6), "○ xxx");

  MemoryCanvas canvas(651, 420);
  panel.Draw(canvas.dc());  // must stay inside its buffer (run under the sanitizers)
}

class StatusPanelDrawing : public ::testing::Test {
 protected:
  static constexpr COLORREF kBackground = RGB(0, 128, 255);
  StatusPanelDrawing() : board(10, 10), panel(491, 10, &board), canvas(651, 420, kBackground) {
    panel.Update(0, &random, false, nullptr);
  }
  int Dark(const Surface& image, int left, int top, int right, int bottom) {
    int dark = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if ((image.At(x, y) & 0xFF) < 128 && ((image.At(x, y) >> 8) & 0xFF) < 128) ++dark;
    return dark;
  }
  Board board;
  NamedCom random{"Random"};
  StatusPanel panel;
  MemoryCanvas canvas;
};

TEST_F(StatusPanelDrawing, WhiteBoxWithABlackFrameFrom491To641And10To150) {
  panel.Draw(canvas.dc());
  const Surface image = canvas.Pixels();
  const uint32_t background = winapi::PixelOf(kBackground);
  for (int y = 10; y < 150; ++y) {
    EXPECT_EQ(image.At(491, y), 0u) << y;
    EXPECT_EQ(image.At(640, y), 0u) << y;
    EXPECT_EQ(image.At(490, y), background) << y;
    EXPECT_EQ(image.At(641, y), background) << y;
  }
  for (int x = 491; x < 641; ++x) {
    EXPECT_EQ(image.At(x, 10), 0u) << x;
    EXPECT_EQ(image.At(x, 149), 0u) << x;
    EXPECT_EQ(image.At(x, 9), background) << x;
    EXPECT_EQ(image.At(x, 150), background) << x;
  }
  EXPECT_EQ(image.At(495, 15), 0xFFFFFFu);
  EXPECT_EQ(image.At(636, 145), 0xFFFFFFu);
}

TEST_F(StatusPanelDrawing, TextInkStaysInsideTheTextRectangle) {
  panel.Draw(canvas.dc());
  const Surface image = canvas.Pixels();
  // Six lines of text from (501, 20); every line has ink.
  for (int line = 0; line < 6; ++line) EXPECT_GT(Dark(image, 501, 20 + 16 * line, 631, 36 + 16 * line), 15) << line;
  // Inside the frame, no ink outside the text rectangle 501..631 x 20..140.
  EXPECT_EQ(Dark(image, 492, 11, 640, 20), 0);
  EXPECT_EQ(Dark(image, 492, 140, 640, 149), 0);
  EXPECT_EQ(Dark(image, 492, 20, 501, 140), 0);
  EXPECT_EQ(Dark(image, 631, 20, 640, 140), 0);
}

TEST_F(StatusPanelDrawing, LeavesBlackPenAndNullBrushAndCreatesNothing) {
  const size_t before = winapi::LiveGdiObjectCount();
  panel.Draw(canvas.dc());
  EXPECT_EQ(winapi::LiveGdiObjectCount(), before);
  EXPECT_EQ(SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH)), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(SelectObject(canvas.dc(), GetStockObject(NULL_PEN)), GetStockObject(BLACK_PEN));
}

}  // namespace
