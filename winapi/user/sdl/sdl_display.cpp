#include "user/sdl/sdl_display.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <set>

#include "kernel/cp932.h"
#include "user/sdl/desktop_scale.h"
#include "user/sdl/sdl_scaled_frame.h"
#include "user/window.h"
#include "user/x11/x11_errors.h"
#include "user/x11/x11_window.h"

namespace winapi {
namespace {

SDL_Window* NativeOf(const Window& window) { return static_cast<SDL_Window*>(window.native); }

x11::FrameOffer FrameOfferOf(DWORD style) {
  return {.title = (style & WS_CAPTION) == WS_CAPTION,
          .close = (style & WS_SYSMENU) != 0,
          .minimize = (style & WS_MINIMIZEBOX) != 0,
          .maximize = (style & WS_MAXIMIZEBOX) != 0,
          .resize = (style & WS_THICKFRAME) != 0};
}

// An SDL window of ours: whose it is, and the frames it is shown from.
struct Native {
  HWND handle = nullptr;
  std::unique_ptr<ScaledFrame> frame;
};

class SdlDisplay final : public Display {
 public:
  // The program works in its own units; the screen is the desktop's size in them, as
  // Windows reports it to a program that is not DPI aware.
  explicit SdlDisplay(double scale) : scale_(scale) {}
  ~SdlDisplay() override { SDL_Quit(); }

  int ScreenWidth() override { return ScaleDown(ScreenBounds().w, scale_); }
  int ScreenHeight() override { return ScaleDown(ScreenBounds().h, scale_); }

  bool CreateNative(Window& window, std::string& error) override {
    const std::string title = Utf8FromCp932(window.title);
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), ScaleUp(window.x, scale_), ScaleUp(window.y, scale_),
                                       std::max(ScaleUp(window.OuterWidth(), scale_), 1),
                                       std::max(ScaleUp(window.OuterHeight(), scale_), 1), SDL_WINDOW_HIDDEN);
    window.native = sdl;
    if (!sdl) {
      error = SDL_GetError();
      return false;
    }
    x11::DescribeTopLevel(sdl, window.className, title, FrameOfferOf(window.style));
    windows_[SDL_GetWindowID(sdl)] = {window.handle, std::make_unique<ScaledFrame>(scale_)};
    AdoptX11Window(sdl);
    return true;
  }

  void DestroyNative(Window& window) override {
    if (SDL_Window* sdl = NativeOf(window)) {
      windows_.erase(SDL_GetWindowID(sdl));
      lost_.erase(window.handle);
      ReleaseX11Window(sdl);
      SDL_DestroyWindow(sdl);
      window.native = nullptr;
    }
  }

  void Show(Window& window, bool show) override {
    if (SDL_Window* sdl = NativeOf(window)) show ? SDL_ShowWindow(sdl) : SDL_HideWindow(sdl);
  }

  void Present(Window& window) override {
    SDL_Window* sdl = NativeOf(window);
    if (!sdl || !window.visible) return;
    const auto native = windows_.find(SDL_GetWindowID(sdl));
    if (native == windows_.end()) return;
    ComposeWindow(window, native->second.frame->Frame());
    native->second.frame->Present(sdl);
  }

  bool PumpEvents(bool wait) override {
    SDL_Event event;
    if (wait) {
      if (!SDL_WaitEvent(&event)) return false;
      Handle(event);
    }
    while (SDL_PollEvent(&event)) Handle(event);
    CloseLostWindows();
    return true;
  }

  int RunMessageBox(Window* owner, const std::string& text, const std::string& caption, UINT) override {
    return RunSdlMessageBox(owner ? NativeOf(*owner) : nullptr, owner, text, caption, scale_);
  }

 private:
  static SDL_Rect ScreenBounds() {
    SDL_Rect bounds{0, 0, 0, 0};
    SDL_GetDisplayBounds(0, &bounds);
    return bounds;
  }

  // A window that another client destroyed ends as if its close button was pressed.
  void CloseLostWindows() {
    for (const auto& [id, native] : windows_) {
      const HWND handle = native.handle;
      Window* window = FindWindowByHandle(handle);
      if (window && !lost_.contains(handle) && X11WindowLost(NativeOf(*window))) {
        lost_.insert(handle);
        InputClose(*window);
      }
    }
  }

  Window* WindowOf(Uint32 id) {
    const auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : FindWindowByHandle(found->second.handle);
  }

  int Unscaled(int coordinate) const { return ScaleDown(coordinate, scale_); }

  void Handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_WINDOWEVENT:
        if (Window* window = WindowOf(event.window.windowID)) {
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED) Present(*window);
          if (event.window.event == SDL_WINDOWEVENT_CLOSE) InputClose(*window);
          // As on Windows, a menu does not outlive the focus: a click elsewhere or another
          // window taking the keyboard ends it without choosing anything.
          if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            altAlone_ = false;
            InputCancelMenu(*window);
          }
        }
        break;
      case SDL_MOUSEMOTION:
        if (Window* window = WindowOf(event.motion.windowID))
          InputMouseMove(*window, Unscaled(event.motion.x), Unscaled(event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT) break;
        if (Window* window = WindowOf(event.button.windowID))
          InputMouseButton(*window, Unscaled(event.button.x), Unscaled(event.button.y),
                           event.type == SDL_MOUSEBUTTONDOWN);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (Window* window = WindowOf(event.key.windowID)) Key(*window, event.key);
        break;
      default:
        break;
    }
  }

  // Alt pressed and released alone, or F10, opens the bar; Alt with a letter opens a popup.
  void Key(Window& window, const SDL_KeyboardEvent& key) {
    const SDL_Keycode sym = key.keysym.sym;
    const bool alt = sym == SDLK_LALT || sym == SDLK_RALT;
    if (key.type == SDL_KEYUP) {
      if (alt && altAlone_) InputKey(window, MenuKey::Activate, 0);
      altAlone_ = false;
      return;
    }
    if (alt) {
      altAlone_ = !key.repeat;
      return;
    }
    altAlone_ = false;
    switch (sym) {
      case SDLK_F10: InputKey(window, MenuKey::Activate, 0); return;
      case SDLK_LEFT: InputKey(window, MenuKey::Left, 0); return;
      case SDLK_RIGHT: InputKey(window, MenuKey::Right, 0); return;
      case SDLK_UP: InputKey(window, MenuKey::Up, 0); return;
      case SDLK_DOWN: InputKey(window, MenuKey::Down, 0); return;
      case SDLK_RETURN:
      case SDLK_KP_ENTER: InputKey(window, MenuKey::Enter, 0); return;
      case SDLK_ESCAPE: InputKey(window, MenuKey::Escape, 0); return;
      default: break;
    }
    if ((sym >= SDLK_a && sym <= SDLK_z) || (sym >= SDLK_0 && sym <= SDLK_9)) {
      const char letter = static_cast<char>(sym >= SDLK_a ? sym - SDLK_a + 'A' : sym);
      InputKey(window, (key.keysym.mod & KMOD_ALT) ? MenuKey::AltLetter : MenuKey::Letter, letter);
    }
  }

  const double scale_;
  std::map<Uint32, Native> windows_;
  std::set<HWND> lost_;  // destroyed by another client and told to close
  bool altAlone_ = false;
};

}  // namespace

std::unique_ptr<Display> OpenSdlDisplay(std::string& error) {
  const char* requested = std::getenv("SDL_VIDEODRIVER");
  const bool explicitDriver = requested && *requested;
  // The layer lives on X (frames, hints, desktop scale, window class, windows lost to other
  // clients) and reaches Wayland desktops through XWayland. SDL's Wayland driver would need
  // all of that anew, cannot place a box over its owner, and crashed in SDL_Init on a
  // compositor without a seat.
  if (!explicitDriver && !std::getenv("DISPLAY")) {
    error = std::getenv("WAYLAND_DISPLAY")
                ? "this Wayland session has no X server (DISPLAY is not set); XWayland is needed"
                : "no display found (DISPLAY is not set)";
    return nullptr;
  }
  // Software drawing throughout: the first frame comes quickly and the process stays small.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Ctrl+C in the terminal ends the program as it would any other.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // A click that activates a window also does what it does on Windows: press the OK button.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // SDL holds the screen saver off for as long as it runs; a program left open must not
  // keep the screen lit, and a Windows program does not hold it off either.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  InstallX11ErrorHandlers();
  const char* x11 = std::getenv("DISPLAY");
  // Only X: SDL's other drivers show nothing here, and trying them prints their own complaints.
  if (!explicitDriver) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = !explicitDriver && x11 ? std::string("cannot open the X display \"") + x11 + "\" named by DISPLAY"
                                   : std::string("cannot open the display: ") + SDL_GetError();
    return nullptr;
  }
  WatchX11Windows();
  return std::make_unique<SdlDisplay>(ChooseDesktopScale(x11::RootResources(), std::getenv("GDK_SCALE")));
}

}  // namespace winapi
