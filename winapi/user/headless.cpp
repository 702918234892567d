// The headless display: windows live only in memory, message boxes are answered at
// once, and input comes from the test calls of user_layer.h.
#include <memory>

#include "user/display.h"
#include "user/window.h"
#include "user_layer.h"

namespace winapi {
namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

class HeadlessDisplay final : public Display {
 public:
  int ScreenWidth() override { return kScreenWidth; }
  int ScreenHeight() override { return kScreenHeight; }
  bool CreateNative(Window&, std::string& error) override {
    if (NativeWindowsFail()) error = "native windows are switched off for a test";
    return !NativeWindowsFail();
  }
  void DestroyNative(Window&) override {}
  void Show(Window&, bool) override {}
  void Present(Window&) override {}

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

  std::function<void()> idle;
  std::function<void(const RecordedMessageBox&)> observer;
  std::vector<RecordedMessageBox> boxes;
};

HeadlessDisplay* Headless() { return dynamic_cast<HeadlessDisplay*>(OpenedDisplay()); }

// Input for a window that is gone goes nowhere, as it would on Windows.
template <typename F>
void IfWindow(HWND handle, F&& f) {
  if (Window* window = FindWindowByHandle(handle)) f(*window);
}

}  // namespace

std::unique_ptr<Display> MakeHeadlessDisplay() { return std::make_unique<HeadlessDisplay>(); }

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
  uint64_t frames = 0;
  IfWindow(window, [&](Window& w) { frames = w.framesShown; });
  return frames;
}

bool IsWindowAlive(HWND window) { return FindWindowByHandle(window) != nullptr; }

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
    if (w.menuBar && item >= 0 && item < w.menuBar->PopupItemCount()) rect = w.menuBar->PopupItemRect(item);
  });
  return rect;
}

int OpenMenuPopup(HWND window) {
  int open = -1;
  IfWindow(window, [&](Window& w) { open = w.menuBar ? w.menuBar->OpenPopup() : -1; });
  return open;
}

}  // namespace winapi
