// Windows, messages and device contexts of the Linux layer, on the headless display,
// with a window procedure that records what reaches it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <vector>

#include "gdi_testing.h"
#include "user/window.h"
#include "user_testing.h"
#include "win/resource.h"

// Memory that runs out on demand: while allocationsLeft is not negative, that many more
// allocations succeed and every one after fails, as when the heap is exhausted. Every form
// of new and delete goes to malloc and free, so that a sanitizer sees them paired; the
// deletes are never inlined, where the compiler would take free for a mismatch of new.
namespace {
long allocationsLeft = -1;
}  // namespace

void* operator new(std::size_t size) {
  if (allocationsLeft == 0) throw std::bad_alloc();
  if (allocationsLeft > 0) --allocationsLeft;
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> seen;
LRESULT createResult = 0;
std::pair<int, int> createdSize;  // as WM_CREATE told it

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back({message, wParam, lParam});
  if (message == WM_CREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    createdSize = {create->cx, create->cy};
    return createResult;
  }
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

// Windows makes a window of any size: its rectangle as asked, each side kept within 0 to
// 65535 (win.c, test_CreateWindow), and WM_CREATE told the size as asked.
TEST_F(User32Test, AWindowOfAnySizeIsMadeWithItsSidesWithin65535) {
  struct Size {
    int width, height;
    LONG clientWidth, clientHeight;
  };
  const Size sizes[] = {{200000, 200000, 65535, 65535},
                        {100, 0x7fffffff, 100, 65535},
                        {0x7fffffff, 0x7fffffff, 65535, 65535},
                        {-10, -10, 0, 0},
                        {-200000, -200000, 0, 0}};
  const size_t objects = winapi::LiveGdiObjectCount();
  for (const Size& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    HWND window = CreateWindowExA(0, "Recorder", "", WS_CAPTION | WS_VISIBLE, 20, 10, size.width, size.height,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(createdSize, std::make_pair(size.width, size.height));
    RECT client{-1, -1, -1, -1};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, size.clientWidth);
    EXPECT_EQ(client.bottom, size.clientHeight);
    // Its pixels go no further than the screen, and the whole client area can be drawn on.
    const winapi::Surface pixels = winapi::WindowPixels(window);
    EXPECT_EQ(pixels.width, std::min<LONG>(client.right, GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(pixels.height, std::min<LONG>(client.bottom, GetSystemMetrics(SM_CYSCREEN)));
    HDC dc = GetDC(window);
    EXPECT_EQ(FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(winapi::LiveGdiObjectCount(), objects);
  }
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

// DeleteDC of a DC from GetDC answers TRUE; the DC goes unless it is the window's own or
// its class's, which stays for ReleaseDC (gdi32 dc.c, test_DeleteDC).
TEST_F(User32Test, DeleteDCOfAWindowsDCSucceedsAndKeepsOnlyAnOwnOrClassDC) {
  struct Row {
    const char* className;
    UINT style;
    bool stays;
  };
  const Row rows[] = {{"PlainDC", 0, false}, {"ClassDC", CS_CLASSDC, true}, {"OwnDC", CS_OWNDC, true}};
  const RECT box{0, 0, 5, 5};
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.className);
    WNDCLASSA wc = {};
    wc.style = row.style;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = row.className;
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND window = CreateWindowExA(0, row.className, "", WS_CAPTION, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    const size_t objects = winapi::LiveGdiObjectCount();
    HDC dc = GetDC(window);
    EXPECT_EQ(DeleteDC(dc), TRUE);
    EXPECT_EQ(FillRect(dc, &box, black), row.stays ? 1 : 0);
    EXPECT_EQ(ReleaseDC(window, dc), row.stays ? 1 : 0);
    EXPECT_EQ(winapi::LiveGdiObjectCount(), objects);
    DestroyWindow(window);
  }
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

// Every call that takes memory is made again and again, the first of its allocations
// failing, then the second, and so on until the call succeeds: each failure is answered
// with the call's failure value, no exception, and nothing left behind.
TEST_F(User32Test, EveryCallAnswersItsFailureValueWhenMemoryRunsOut) {
  WNDCLASSA quiet = {};  // a procedure that takes no memory of its own
  quiet.lpfnWndProc = DefWindowProcA;
  quiet.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  quiet.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  quiet.lpszClassName = "Quiet";
  HWND window = Create(WS_CAPTION | WS_VISIBLE);
  winapi::MemoryCanvas canvas(40, 20);
  const RECT box{0, 0, 40, 20};
  const POINT triangle[3] = {{0, 0}, {30, 0}, {0, 15}};
  void* made = nullptr;
  struct Call {
    const char* name;
    std::function<bool()> succeeds;
    std::function<void()> undo;
  };
  const auto deleteMade = [&] { DeleteObject(made); };
  const auto nothing = [] {};
  const Call calls[] = {
      {"RegisterClassA", [&] { return RegisterClassA(&quiet) != 0; }, nothing},
      {"CreateWindowExA",
       [&] {
         made = CreateWindowExA(0, "Quiet", "", WS_CAPTION | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                                nullptr);
         return made != nullptr;
       },
       [&] { DestroyWindow(static_cast<HWND>(made)); }},
      {"GetDC", [&] { return (made = GetDC(window)) != nullptr; },
       [&] { ReleaseDC(window, static_cast<HDC>(made)); }},
      {"CreateCompatibleDC", [&] { return (made = CreateCompatibleDC(nullptr)) != nullptr; },
       [&] { DeleteDC(static_cast<HDC>(made)); }},
      {"CreateCompatibleBitmap", [&] { return (made = CreateCompatibleBitmap(canvas.dc(), 8, 8)) != nullptr; },
       deleteMade},
      {"CreateSolidBrush", [&] { return (made = CreateSolidBrush(RGB(1, 2, 3))) != nullptr; }, deleteMade},
      {"CreateHatchBrush", [&] { return (made = CreateHatchBrush(HS_CROSS, RGB(1, 2, 3))) != nullptr; }, deleteMade},
      {"DrawTextA",
       [&] {
         RECT rect = box;
         return DrawTextA(canvas.dc(), "黒の番です\n1 手目", -1, &rect, 0) != 0;
       },
       nothing},
      {"BitBlt", [&] { return BitBlt(canvas.dc(), 1, 1, 20, 10, canvas.dc(), 0, 0, SRCCOPY) != FALSE; }, nothing},
      {"Polygon", [&] { return Polygon(canvas.dc(), triangle, 3) != FALSE; }, nothing},
      {"Ellipse", [&] { return Ellipse(canvas.dc(), 0, 0, 30, 15) != FALSE; }, nothing},
      {"MessageBoxA", [&] { return MessageBoxA(window, "パス", "Tarvel", MB_OK) != 0; }, nothing},
  };
  for (const Call& call : calls) {
    SCOPED_TRACE(call.name);
    const size_t objects = winapi::LiveGdiObjectCount();
    const size_t windows = winapi::WindowTable().windows.size();
    long failing = 0;
    for (;; ++failing) {
      ASSERT_LT(failing, 1000);
      allocationsLeft = failing;
      bool succeeded = false, threw = false;
      try {
        succeeded = call.succeeds();
      } catch (...) {
        threw = true;
      }
      allocationsLeft = -1;
      ASSERT_FALSE(threw) << "allocation " << failing << " failing";
      if (succeeded) break;
      EXPECT_EQ(winapi::LiveGdiObjectCount(), objects) << "allocation " << failing << " failing";
      EXPECT_EQ(winapi::WindowTable().windows.size(), windows) << "allocation " << failing << " failing";
    }
    EXPECT_GT(failing, 0) << "the call takes no memory: it cannot fail here";
    call.undo();
  }
  EXPECT_TRUE(winapi::FindRegisteredClass("Quiet").has_value());
}

}  // namespace
