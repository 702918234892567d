// The headless display: windows live only in memory, message boxes are answered at
// once, and input comes from the test calls of user_testing.h.
#include "user_testing.h"

#include <map>
#include <memory>

#include "backend.h"
#include "kernel_testing.h"
#include "user/window.h"

namespace winapi {
namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

// Kept across displays: the fuzzer switches pixels off once, before its first display.
bool pixelOutput = true;
bool nativeWindowsFail = false;

class HeadlessDisplay final : public Display {
 public:
  int ScreenWidth() override { return kScreenWidth; }
  int ScreenHeight() override { return kScreenHeight; }
  bool CreateNative(Window&, std::string& error) override {
    if (nativeWindowsFail) error = "native windows are switched off for a test";
    return !nativeWindowsFail;
  }
  void DestroyNative(Window&) override {}
  void Show(Window&, bool) override {}
  void Present(Window& window) override { ++frames[window.handle]; }

  bool PumpEvents(bool wait) override {
    if (!wait || !idle) return false;
    idle();
    return MessagePending();
  }

  int RunMessageBox(Window* owner, const std::string& text, const std::string& caption, UINT type) override {
    const RecordedMessageBox box{owner ? owner->handle : nullptr, text, caption, type};
    boxes.push_back(box);
    if (observer) observer(box);
    return IDOK;
  }

  bool DrawsPixels() override { return pixelOutput; }

  std::function<void()> idle;
  std::function<void(const RecordedMessageBox&)> observer;
  std::vector<RecordedMessageBox> boxes;
  std::map<HWND, uint64_t> frames;  // how often each window was shown
};

HeadlessDisplay* Headless() { return dynamic_cast<HeadlessDisplay*>(CurrentDisplay()); }

// Input for a window that is gone goes nowhere, as it would on Windows.
template <typename F>
void IfWindow(HWND handle, F&& f) {
  if (Window* window = FindWindowByHandle(handle)) f(*window);
}

}  // namespace

void UseHeadlessDisplay() {
  nativeWindowsFail = false;
  // Windows left from before are destroyed properly, so that their procedures free what they hold.
  while (!WindowTable().windows.empty()) DestroyWindow(WindowTable().windows.begin()->second->handle);
  CloseDisplay();
  UseDisplay(std::make_unique<HeadlessDisplay>());
  SetSleepRecording(true);
}

void FailNativeWindows(bool fail) { nativeWindowsFail = fail; }

void SetPixelOutput(bool on) { pixelOutput = on; }

void PostClick(HWND window, int x, int y) {
  IfWindow(window, [&](Window& w) {
    InputMouseButton(w, x, y + w.MenuBarHeight(), true);
    InputMouseButton(w, x, y + w.MenuBarHeight(), false);
  });
}

void PostCommand(HWND window, UINT id) { PostMessageA(window, WM_COMMAND, id, 0); }

void PostClose(HWND window) {
  IfWindow(window, [](Window& w) { InputClose(w); });
}

void PostKey(HWND window, Key key) {
  static constexpr MenuKey kKeys[] = {MenuKey::Activate, MenuKey::Activate, MenuKey::Left,  MenuKey::Right,
                                      MenuKey::Up,       MenuKey::Down,     MenuKey::Enter, MenuKey::Escape};
  IfWindow(window, [&](Window& w) { InputKey(w, kKeys[static_cast<int>(key)], 0); });
}

void PostLetter(HWND window, char letter, bool alt) {
  IfWindow(window, [&](Window& w) { InputKey(w, alt ? MenuKey::AltLetter : MenuKey::Letter, letter); });
}

void PostMouseMove(HWND window, int x, int y) {
  IfWindow(window, [&](Window& w) { InputMouseMove(w, x, y); });
}

void PostMouseButton(HWND window, int x, int y, bool down) {
  IfWindow(window, [&](Window& w) { InputMouseButton(w, x, y, down); });
}

std::optional<int> PumpMessages() {
  MSG msg;
  while (TakeMessage(msg)) {
    if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
    DispatchMessageA(&msg);
  }
  return std::nullopt;
}

void SetIdleHandler(std::function<void()> handler) {
  if (HeadlessDisplay* display = Headless()) display->idle = std::move(handler);
}

const std::vector<RecordedMessageBox>& RecordedMessageBoxes() {
  static const std::vector<RecordedMessageBox> none;
  HeadlessDisplay* display = Headless();
  return display ? display->boxes : none;
}

void ClearRecordedMessageBoxes() {
  if (HeadlessDisplay* display = Headless()) display->boxes.clear();
}

void SetMessageBoxObserver(std::function<void(const RecordedMessageBox&)> observer) {
  if (HeadlessDisplay* display = Headless()) display->observer = std::move(observer);
}

Surface WindowPixels(HWND window) {
  Surface pixels;
  IfWindow(window, [&](Window& w) { pixels = w.client; });
  pixels.AllPixels();  // full, so that a test may read the pixels directly
  return pixels;
}

Surface WindowFrame(HWND window) {
  Surface frame;
  IfWindow(window, [&](Window& w) { ComposeWindow(w, frame); });
  frame.AllPixels();
  return frame;
}

uint64_t WindowFrameCount(HWND window) {
  HeadlessDisplay* display = Headless();
  if (!display || !FindWindowByHandle(window)) return 0;
  const auto found = display->frames.find(window);
  return found == display->frames.end() ? 0 : found->second;
}

bool IsWindowAlive(HWND window) { return FindWindowByHandle(window) != nullptr; }

HWND FindWindowOfClass(const char* className) {
  for (auto& [handle, window] : WindowTable().windows)
    if (ClassKey(window->className.c_str()) == ClassKey(className)) return window->handle;
  return nullptr;
}

std::optional<RegisteredClass> FindRegisteredClass(const char* className) {
  const auto found = WindowTable().classes.find(ClassKey(className));
  if (found == WindowTable().classes.end()) return std::nullopt;
  const WindowClass& cls = found->second;
  return RegisteredClass{cls.style, cls.icon, cls.cursor, cls.background, cls.menuId};
}

DWORD WindowStyle(HWND handle) {
  const Window* window = FindWindowByHandle(handle);
  return window ? window->style : 0;
}

bool MenuItemChecked(HWND window, UINT id) {
  Window* w = FindWindowByHandle(window);
  Menu* menu = w ? w->menu.get() : nullptr;
  size_t position = 0;
  Menu* holder = menu ? FindItemByCommand(menu, id, position) : nullptr;
  return holder && holder->items[position].checked;
}

RECT MenuTitleRect(HWND window, int title) {
  RECT rect{0, 0, 0, 0};
  IfWindow(window, [&](Window& w) {
    if (w.menuBar && title >= 0 && title < w.menuBar->TitleCount()) rect = w.menuBar->TitleRect(title);
  });
  return rect;
}

RECT MenuPopupItemRect(HWND window, int item) {
  RECT rect{0, 0, 0, 0};
  IfWindow(window, [&](Window& w) {
    const int open = w.menuBar ? w.menuBar->OpenPopup() : -1;
    if (open >= 0 && item >= 0 && static_cast<size_t>(item) < w.menu->items[open].popup->items.size())
      rect = w.menuBar->PopupItemRect(item);
  });
  return rect;
}

int OpenMenuPopup(HWND window) {
  int open = -1;
  IfWindow(window, [&](Window& w) { open = w.menuBar ? w.menuBar->OpenPopup() : -1; });
  return open;
}

}  // namespace winapi
