// WinMain and the main window on the headless display: the whole program from start to
// exit, driven from the message loop's idle moments.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app_testing.h"
#include "win/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace {

class WinMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winapi::UseHeadlessDisplay();
  }
  void TearDown() override {
    winapi::UseHeadlessDisplay();
    winapi::FixTickCount(std::nullopt);
  }

  // Runs WinMain; each time the queue runs dry the next step gets the main window.
  int Run(std::vector<std::function<void(HWND)>> steps) {
    size_t next = 0;
    winapi::SetIdleHandler([&] {
      if (next < steps.size()) steps[next++](winapi::FindWindowOfClass("nTarvel"));
    });
    char commandLine[] = "";
    const int result = WinMain(apptest::Instance(), nullptr, commandLine, SW_SHOWDEFAULT);
    stepsRun = next;
    return result;
  }
  size_t stepsRun = 0;
};

TEST_F(WinMainTest, PlaysAndEndsWithTheExitCommand) {
  const size_t objects = winapi::LiveGdiObjectCount();
  HWND seen = nullptr;
  const POINT cell = CellCenter(2, 3);
  const int result = Run({
      [&](HWND window) {
        seen = window;
        // Shown and painted before the loop first waited.
        EXPECT_EQ(winapi::WindowFrameCount(window), 2u);
        winapi::PostClick(window, cell.x + apptest::kOrigin, cell.y + apptest::kOrigin);
      },
      [&](HWND window) {
        EXPECT_EQ(apptest::ShownCell(winapi::WindowPixels(window), 2, 3), Black());
        winapi::PostCommand(window, IDM_EXIT);
      },
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(stepsRun, 2u);
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(winapi::LiveGdiObjectCount(), objects);
}

TEST_F(WinMainTest, EndsWithTheWindowManagersClose) {
  const int result = Run({[](HWND window) { winapi::PostClose(window); }});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(stepsRun, 1u);
  EXPECT_EQ(winapi::FindWindowOfClass("nTarvel"), nullptr);
}

TEST_F(WinMainTest, ReturnsZeroWhenTheClassCannotBeRegistered) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "nTarvel";
  ASSERT_NE(RegisterClassA(&wc), 0);
  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(winapi::FindWindowOfClass("nTarvel"), nullptr);
}

// Without a native window nothing would ever show: the program must end, saying why,
// rather than wait for input that cannot come.
TEST_F(WinMainTest, ReturnsZeroWithOneLineWhenNoNativeWindowCanBeMade) {
  const size_t objects = winapi::LiveGdiObjectCount();
  winapi::FailNativeWindows(true);
  testing::internal::CaptureStderr();
  const int result = Run({[](HWND window) { winapi::PostClose(window); }});
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(stepsRun, 0u) << "the message loop ran";
  EXPECT_EQ(winapi::FindWindowOfClass("nTarvel"), nullptr) << "a half-made window was left";
  EXPECT_EQ(winapi::LiveGdiObjectCount(), objects);
  EXPECT_NE(said.find("cannot create a window of class nTarvel: "), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
}

TEST_F(WinMainTest, TheWindowAndItsClassAsCreated) {
  ASSERT_TRUE(RegisterMainClass(apptest::Instance()));
  ASSERT_TRUE(CreateMainWindow(apptest::Instance(), SW_SHOWDEFAULT));
  HWND window = winapi::FindWindowOfClass("nTarvel");
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 651);
  EXPECT_EQ(client.bottom, 420);
  // "vs Com &1" carries the mark from the start.
  EXPECT_TRUE(winapi::MenuItemChecked(window, IDM_VS_COM1));
  // A fixed size: no sizing border, no maximize box.
  EXPECT_EQ(winapi::WindowStyle(window), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));

  const std::optional<winapi::RegisteredClass> cls = winapi::FindRegisteredClass("nTarvel");
  ASSERT_TRUE(cls);
  EXPECT_EQ(cls->style, 0u);
  EXPECT_EQ(cls->icon, LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_NE(cls->icon, nullptr);
  EXPECT_EQ(cls->cursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_NE(cls->cursor, nullptr);
  EXPECT_EQ(cls->background, GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(cls->menuId, 101u);
}

// Every run plays other random replies: the window's game seeds rand() with the tick
// count it starts at.
TEST_F(WinMainTest, TheRandomDrawsFollowTheTickCountAtTheStart) {
  constexpr DWORD kTicks = 0x2468ACE;  // not 0 or 1, which glibc's srand takes as the same seed
  winapi::FixTickCount(kTicks);
  ASSERT_TRUE(RegisterMainClass(apptest::Instance()));
  ASSERT_TRUE(CreateMainWindow(apptest::Instance(), SW_SHOWDEFAULT));
  std::vector<int> drawn, seeded;
  for (int i = 0; i < 4; ++i) drawn.push_back(std::rand());
  std::srand(kTicks);
  for (int i = 0; i < 4; ++i) seeded.push_back(std::rand());
  EXPECT_EQ(drawn, seeded);
}

}  // namespace
