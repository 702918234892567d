// A message box as its own top-level window: the text in the layer's font and one OK
// button, modal to its owner. The owner gets no input meanwhile but still shows its
// picture when uncovered.
#include <algorithm>

#include "kernel/cp932.h"
#include "user/classic_look.h"
#include "user/sdl/desktop_scale.h"
#include "user/sdl/sdl_display.h"
#include "user/sdl/sdl_scaled_frame.h"
#include "user/window.h"
#include "user/x11/x11_errors.h"
#include "user/x11/x11_window.h"

namespace winapi {
namespace {

constexpr int kMargin = 16;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kMinWidth = 160;

constexpr COLORREF kFrame = RGB(0, 0, 0);

using classic::Fill;
using classic::kDarkShadow;
using classic::kFace;
using classic::kLight;
using classic::kShadow;

class Box {
 public:
  Box(const std::string& text) : text_(text) {
    HDC dc = CreateCompatibleDC(nullptr);
    RECT extent{0, 0, 0, 0};
    DrawTextA(dc, text_.c_str(), -1, &extent, DT_CALCRECT);
    DeleteDC(dc);
    const int textWidth = extent.right - extent.left, textHeight = extent.bottom - extent.top;
    width_ = std::max({textWidth + 2 * kMargin, kButtonWidth + 2 * kMargin, kMinWidth});
    height_ = kMargin + textHeight + kMargin + kButtonHeight + kMargin / 2 + 4;
    textRect_ = {(width_ - textWidth) / 2, kMargin, (width_ - textWidth) / 2 + textWidth, kMargin + textHeight};
    button_ = {(width_ - kButtonWidth) / 2, height_ - kMargin / 2 - 4 - kButtonHeight, 0, 0};
    button_.right = button_.left + kButtonWidth;
    button_.bottom = button_.top + kButtonHeight;
  }

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool OnButton(int x, int y) const { return x >= button_.left && x < button_.right && y >= button_.top && y < button_.bottom; }

  void Draw(bool pressed, Surface& surface) const {
    if (surface.width != width_ || surface.height != height_) surface = Surface(width_, height_);
    HDC dc = CreateSurfaceDC(&surface);
    Fill(dc, {0, 0, width_, height_}, kFace);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT text = textRect_;
    DrawTextA(dc, text_.c_str(), -1, &text, DT_LEFT | DT_NOPREFIX);

    // The default button: a black frame around a raised (or, held down, sunken) edge.
    const RECT b = button_;
    Fill(dc, b, kFrame);
    const RECT in{b.left + 1, b.top + 1, b.right - 1, b.bottom - 1};
    if (pressed) {
      Fill(dc, in, kShadow);
      Fill(dc, {in.left + 1, in.top + 1, in.right - 1, in.bottom - 1}, kFace);
    } else {
      Fill(dc, in, kDarkShadow);
      Fill(dc, {in.left, in.top, in.right - 1, in.bottom - 1}, kLight);
      Fill(dc, {in.left + 1, in.top + 1, in.right - 1, in.bottom - 1}, kShadow);
      Fill(dc, {in.left + 1, in.top + 1, in.right - 2, in.bottom - 2}, kFace);
    }
    RECT label{in.left + (pressed ? 1 : 0), in.top + (pressed ? 1 : 0), in.right, in.bottom};
    DrawTextA(dc, "OK", -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ReleaseSurfaceDC(dc);
  }

 private:
  std::string text_;
  int width_ = 0, height_ = 0;
  RECT textRect_{}, button_{};
};

}  // namespace

int RunSdlMessageBox(SDL_Window* owner, Window* ownerWindow, const std::string& text, const std::string& caption,
                     double scale) {
  const Box box(text);
  const int width = ScaleUp(box.Width(), scale), height = ScaleUp(box.Height(), scale);
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  if (owner) {
    int ox, oy, ow, oh;
    SDL_GetWindowPosition(owner, &ox, &oy);
    SDL_GetWindowSize(owner, &ow, &oh);
    x = ox + (ow - width) / 2;
    y = oy + (oh - height) / 2;
  }
  const std::string title = Utf8FromCp932(caption);
  SDL_Window* window = SDL_CreateWindow(title.c_str(), x, y, width, height, SDL_WINDOW_HIDDEN);
  if (!window) return 0;
  AdoptX11Window(window);
  x11::DescribeModalBox(window, owner, title);
  SDL_ShowWindow(window);
  SDL_RaiseWindow(window);
  const Uint32 id = SDL_GetWindowID(window);
  const Uint32 ownerId = owner ? SDL_GetWindowID(owner) : 0;

  ScaledFrame frame(scale);
  const auto show = [&](bool pressed) {
    box.Draw(pressed, frame.Frame());
    frame.Present(window);
  };
  const auto over = [&](int wx, int wy) { return box.OnButton(ScaleDown(wx, scale), ScaleDown(wy, scale)); };
  bool pressed = false, pressStarted = false, done = false;
  show(false);
  while (!done) {
    SDL_Event event;
    if (!SDL_WaitEvent(&event)) break;
    // Destroyed by another client: gone as if closed.
    if (X11WindowLost(window)) break;
    bool redraw = false;
    switch (event.type) {
      case SDL_WINDOWEVENT:
        if (event.window.windowID == id) {
          if (event.window.event == SDL_WINDOWEVENT_CLOSE) done = true;
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED) redraw = true;
          // A box has no minimize button, but some window managers (openbox) offer the
          // function anyway and take the owner along: bring both back at once.
          if (event.window.event == SDL_WINDOWEVENT_MINIMIZED && !x11::BringBack(window)) SDL_RestoreWindow(window);
        } else if (event.window.windowID == ownerId) {
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED && ownerWindow) CurrentDisplay()->Present(*ownerWindow);
          // Activating the owner brings its box to the front instead, as on Windows.
          if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) SDL_RaiseWindow(window);
        }
        break;
      case SDL_KEYDOWN:
        if (event.key.windowID != id) break;
        switch (event.key.keysym.sym) {
          case SDLK_RETURN:
          case SDLK_KP_ENTER:
          case SDLK_ESCAPE:
            done = true;
            break;
          case SDLK_SPACE:
            pressed = redraw = true;
            break;
          default:
            break;
        }
        break;
      case SDL_KEYUP:
        // Space works like a click: down shows the button pressed, up dismisses.
        if (event.key.windowID == id && event.key.keysym.sym == SDLK_SPACE && pressed) done = true;
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID == id && event.button.button == SDL_BUTTON_LEFT &&
            over(event.button.x, event.button.y))
          pressStarted = pressed = redraw = true;
        break;
      case SDL_MOUSEMOTION:
        if (event.motion.windowID == id && pressStarted) {
          const bool onButton = over(event.motion.x, event.motion.y);
          redraw = onButton != pressed;
          pressed = onButton;
        }
        break;
      case SDL_MOUSEBUTTONUP:
        if (event.button.windowID == id && event.button.button == SDL_BUTTON_LEFT && pressStarted) {
          pressStarted = false;
          if (over(event.button.x, event.button.y)) done = true;
          pressed = false;
          redraw = true;
        }
        break;
      default:
        break;
    }
    if (redraw && !done) show(pressed);
  }
  ReleaseX11Window(window);
  SDL_DestroyWindow(window);
  if (owner) SDL_RaiseWindow(owner);
  // Show the owner's picture where the box was without waiting for the expose event.
  if (ownerWindow) CurrentDisplay()->Present(*ownerWindow);
  return IDOK;
}

}  // namespace winapi
