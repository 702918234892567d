// Windows, messages and device contexts of the Linux layer, on the headless display,
// with a window procedure that records what reaches it.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "gdi_testing.h"
#include "user_testing.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> seen;
LRESULT createResult = 0;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back({message, wParam, lParam});
  if (message == WM_CREATE) return createResult;
  if (message == WM_DESTROY) PostQuitMessage(7);
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<UINT> Messages() {
  std::vector<UINT> messages;
  for (const Seen& s : seen) messages.push_back(s.message);
  return messages;
}

class User32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    winapi::UseHeadlessDisplay();
    seen.clear();
    createResult = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "Recorder";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override { winapi::UseHeadlessDisplay(); }

  HWND Create(DWORD style = WS_CAPTION) {
    return CreateWindowExA(0, "Recorder", "Test", style, 10, 20, 200, 100, nullptr, nullptr, nullptr, nullptr);
  }
  // Takes messages as GetMessageA would, dispatching each, until none is left.
  std::vector<UINT> Drain() {
    std::vector<UINT> taken;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      taken.push_back(msg.message);
      DispatchMessageA(&msg);
    }
    if (msg.message == WM_QUIT) taken.push_back(WM_QUIT);
    return taken;
  }
};

TEST_F(User32Test, ClassesAreRegisteredOnceByNameIgnoringCase) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "RECORDER";
  EXPECT_EQ(RegisterClassA(&wc), 0);
  wc.lpszClassName = nullptr;
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_NE(CreateWindowExA(0, "recorder", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
}

// Found by the fuzzer: the atoms ran out after 16,384 registrations, however many
// classes had been forgotten since, and then every registration failed.
TEST_F(User32Test, ForgottenClassesFreeTheirAtoms) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "Again";
  for (int round = 0; round < 0x4000 + 10; ++round) {
    winapi::UseHeadlessDisplay();
    ASSERT_NE(RegisterClassA(&wc), 0) << "round " << round;
  }
}

TEST_F(User32Test, CreationSendsWmCreateBeforeItReturnsAndCanBeRefused) {
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Messages(), std::vector<UINT>{WM_CREATE});

  seen.clear();
  createResult = -1;
  EXPECT_EQ(Create(), nullptr);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
}

TEST_F(User32Test, PostedMessagesComeFirstThenQuitThenPaint) {
  HWND window = Create();
  seen.clear();
  PostMessageA(window, WM_COMMAND, 1, 0);
  PostMessageA(window, WM_COMMAND, 2, 0);
  PostQuitMessage(3);
  // The window is still invalid from its creation, but WM_PAINT waits for an empty queue and no quit.
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.wParam, 1u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.wParam, 2u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(msg.hwnd, window);
  // Dispatching reaches the procedure, whose DefWindowProcA validates: nothing is left.
  DispatchMessageA(&msg);
  EXPECT_EQ(Messages(), std::vector<UINT>{WM_PAINT});
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);  // headless, nothing can ever arrive
}

TEST_F(User32Test, PaintIsDueWhileInvalidAndNotAfterValidation) {
  HWND window = Create();
  ValidateRect(window, nullptr);
  EXPECT_EQ(Drain(), std::vector<UINT>{});
  InvalidateRect(window, nullptr, FALSE);
  InvalidateRect(window, nullptr, TRUE);
  EXPECT_EQ(Drain(), std::vector<UINT>{WM_PAINT});  // one, however often invalidated

  // Validating a part leaves the rest due; validating all of it does not.
  InvalidateRect(window, nullptr, FALSE);
  RECT part{0, 0, 50, 50};
  ValidateRect(window, &part);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  RECT all{0, 0, 200, 100};
  ValidateRect(window, &all);
  EXPECT_EQ(Drain(), std::vector<UINT>{});

  // UpdateWindow paints at once, and only when due.
  seen.clear();
  UpdateWindow(window);
  EXPECT_EQ(Messages(), std::vector<UINT>{});
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(Messages(), std::vector<UINT>{WM_PAINT});
}

TEST_F(User32Test, SendMessageIsHandledBeforeItReturns) {
  HWND window = Create();
  seen.clear();
  SendMessageA(window, WM_COMMAND, 42, 0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].wParam, 42u);
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(uintptr_t{0x1234}), WM_COMMAND, 1, 0), 0);
}

TEST_F(User32Test, TheCloseButtonEndsInWmDestroyAndTheWindowIsGone) {
  HWND window = Create();
  ValidateRect(window, nullptr);
  seen.clear();
  winapi::PostClose(window);
  EXPECT_EQ(Drain(), (std::vector<UINT>{WM_SYSCOMMAND, WM_QUIT}));
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(winapi::IsWindowAlive(window));
  EXPECT_EQ(DestroyWindow(window), FALSE);
  EXPECT_EQ(GetDC(window), nullptr);
}

TEST_F(User32Test, ClicksCarryClientCoordinatesXLowYHigh) {
  HWND window = Create();
  winapi::PostClick(window, 300, 65535);
  winapi::PostClick(window, 0, 1);
  winapi::PumpMessages();
  std::vector<std::pair<int, int>> releases;
  for (const Seen& s : seen)
    if (s.message == WM_LBUTTONUP) releases.push_back({LOWORD(s.lParam), HIWORD(s.lParam)});
  EXPECT_EQ(releases, (std::vector<std::pair<int, int>>{{300, 65535}, {0, 1}}));
}

TEST_F(User32Test, WhatIsDrawnThroughGetDCIsTheWindowsPictureAndIsShown) {
  HWND window = Create(WS_CAPTION | WS_VISIBLE);
  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100);  // no menu: the outer size is the client size
  EXPECT_EQ(winapi::WindowPixels(window).At(5, 5), 0xFFFFFFu);  // the class background

  const uint64_t frames = winapi::WindowFrameCount(window);
  HDC dc = GetDC(window);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT box{10, 10, 20, 20};
  FillRect(dc, &box, red);
  DeleteObject(red);
  ReleaseDC(window, dc);
  EXPECT_EQ(winapi::WindowFrameCount(window), frames + 1);
  EXPECT_EQ(winapi::WindowPixels(window).At(15, 15), 0xFF0000u);

  // A device context given back without drawing shows nothing new; a foreign one is refused.
  ReleaseDC(window, GetDC(window));
  EXPECT_EQ(winapi::WindowFrameCount(window), frames + 1);
  EXPECT_EQ(ReleaseDC(window, reinterpret_cast<HDC>(uintptr_t{0x999})), 0);

  // One still out when the window goes is released with it, and only that one.
  HWND other = Create(WS_CAPTION | WS_VISIBLE);
  HDC otherDc = GetDC(other);
  const size_t objects = winapi::LiveGdiObjectCount();
  GetDC(window);
  DestroyWindow(window);
  EXPECT_EQ(winapi::LiveGdiObjectCount(), objects);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(otherDc, &box, blue);
  DeleteObject(blue);
  EXPECT_EQ(ReleaseDC(other, otherDc), 1);
  EXPECT_EQ(winapi::WindowPixels(other).At(15, 15), 0x0000FFu);
  DestroyWindow(other);
}

TEST_F(User32Test, MessageBoxesAreRecordedAndAnsweredOk) {
  HWND window = Create();
  std::vector<std::string> during;
  winapi::SetMessageBoxObserver([&](const winapi::RecordedMessageBox& box) { during.push_back(box.text); });
  EXPECT_EQ(MessageBoxA(window, "パス", "リバーシ", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDOK);
  ASSERT_EQ(winapi::RecordedMessageBoxes().size(), 2u);
  EXPECT_EQ(winapi::RecordedMessageBoxes()[0].owner, window);
  EXPECT_EQ(winapi::RecordedMessageBoxes()[0].caption, "リバーシ");
  EXPECT_EQ(winapi::RecordedMessageBoxes()[1].caption, "Error");
  EXPECT_EQ(during, (std::vector<std::string>{"パス", ""}));
}

TEST_F(User32Test, SystemIconCursorAndMetrics) {
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 651);
  EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 440);

  RECT rect{0, 0, 651, 420};
  AdjustWindowRect(&rect, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, TRUE);
  EXPECT_EQ(rect.right - rect.left, 651);
  EXPECT_EQ(rect.bottom - rect.top, 420 + GetSystemMetrics(SM_CYMENU));
  RECT noMenu{0, 0, 651, 420};
  AdjustWindowRect(&noMenu, WS_CAPTION, FALSE);
  EXPECT_EQ(noMenu.bottom - noMenu.top, 420);
}

}  // namespace
