// The main window on the headless display, for tests that play through it: clicks at
// cell centres, menu commands, and what the window then shows.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "gdi_testing.h"
#include "kernel_testing.h"
#include "rules/board.h"
#include "user_testing.h"
#include "win/board_view.h"
#include "win/main_window.h"

namespace apptest {

constexpr int kOrigin = 10;  // where the controller puts the board's drawing origin
constexpr uint32_t kBlackPixel = 0x000000;
constexpr uint32_t kWhitePixel = 0xFFFFFF;
constexpr uint32_t kBoardPixel = 0x3F9F6F;

inline HINSTANCE Instance() {
  static char module;
  return reinterpret_cast<HINSTANCE>(&module);
}

// The stone a window shows on cell (x, y): Black(), White() or null.
inline const Color* ShownCell(const winapi::Surface& pixels, int x, int y) {
  const POINT c = CellCenter(x, y);
  const uint32_t pixel = pixels.At(c.x + kOrigin, c.y + kOrigin);
  if (pixel == kBlackPixel) return Black();
  if (pixel == kWhitePixel) return White();
  EXPECT_EQ(pixel, kBoardPixel) << "cell (" << x << ", " << y << ") shows neither a stone nor the board";
  return nullptr;
}

// Cells that differ between what the window shows and a board, as "(x, y)" items.
inline std::string CellsDiffering(const winapi::Surface& pixels, const Board& expected) {
  std::string diff;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (ShownCell(pixels, x, y) != expected.GetCell(x, y))
        diff += "(" + std::to_string(x) + ", " + std::to_string(y) + ") ";
  return diff;
}
inline std::string CellsDiffering(HWND window, const Board& expected) {
  return CellsDiffering(winapi::WindowPixels(window), expected);
}

// The status panel as it must look with this text: the white box with its frame and
// the text in the default font, drawn independently of the panel's own code.
inline std::string PanelDiffers(HWND window, const char* text) {
  constexpr RECT kFrame{491, 10, 641, 150};
  winapi::MemoryCanvas canvas(651, 420);
  SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH));
  Rectangle(canvas.dc(), kFrame.left, kFrame.top, kFrame.right, kFrame.bottom);
  RECT textRect{501, 20, 631, 140};
  DrawTextA(canvas.dc(), text, -1, &textRect, 0);
  const winapi::Surface expected = canvas.Pixels();
  const winapi::Surface shown = winapi::WindowPixels(window);
  int differing = 0;
  for (int y = kFrame.top; y < kFrame.bottom; ++y)
    for (int x = kFrame.left; x < kFrame.right; ++x) differing += shown.At(x, y) != expected.At(x, y);
  return differing ? std::to_string(differing) + " panel pixels differ" : "";
}

// A window of the main class, created as WinMain creates it, on a fresh headless display.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winapi::UseHeadlessDisplay();
    gdiObjectsBefore_ = winapi::LiveGdiObjectCount();
    ASSERT_TRUE(RegisterMainClass(Instance()));
    ASSERT_TRUE(CreateMainWindow(Instance(), SW_SHOWDEFAULT));
    window_ = winapi::FindWindowOfClass("nTarvel");
    ASSERT_NE(window_, nullptr);
    winapi::TakeRecordedSleeps();
  }

  void TearDown() override { winapi::UseHeadlessDisplay(); }

  // A click at the centre of cell (x, y), and everything it sets off.
  void ClickCell(int x, int y) {
    const POINT c = CellCenter(x, y);
    Click(c.x + kOrigin, c.y + kOrigin);
  }
  void Click(int x, int y) {
    winapi::PostClick(window_, x, y);
    winapi::PumpMessages();
  }
  void Command(UINT id) {
    winapi::PostCommand(window_, id);
    winapi::PumpMessages();
  }
  // The computer's turns so far: each simple player pauses once per move it makes by chance.
  size_t ComputerPauses() { return winapi::TakeRecordedSleeps().size(); }

  // The texts of the boxes shown so far. Each must be a plain OK box owned by the main
  // window, which keeps it modal to the game and gives nothing to choose.
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : winapi::RecordedMessageBoxes()) {
      EXPECT_EQ(box.owner, window_) << box.text;
      EXPECT_EQ(box.type, static_cast<UINT>(MB_OK)) << box.text;
      texts.push_back(box.text);
    }
    return texts;
  }

  size_t gdiObjectsBefore_ = 0;
  HWND window_ = nullptr;
};

}  // namespace apptest
