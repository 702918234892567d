#include "user/sdl/sdl_scaled_frame.h"

#include <algorithm>

#include "user/sdl/desktop_scale.h"

namespace winapi {
namespace {

// Each pixel becomes a factor x factor square: what Windows shows of an unaware program
// at 200 %, and exact, so a picture stays comparable pixel by pixel.
void Multiply(const Surface& from, Surface& to, int factor) {
  for (int y = 0; y < to.height; ++y) {
    const uint32_t* source = from.Row(y / factor);
    uint32_t* target = to.Row(y);
    if (y % factor) {
      std::copy(to.Row(y - 1), to.Row(y - 1) + to.width, target);
      continue;
    }
    for (int x = 0; x < to.width; ++x) target[x] = source[x / factor];
  }
}

}  // namespace

ScaledFrame::~ScaledFrame() {
  SDL_FreeSurface(frameView_);
  SDL_FreeSurface(scaledView_);
}

// A view is made again only when the pixels it shows have moved (a new size).
SDL_Surface* ScaledFrame::Wrap(SDL_Surface*& view, Surface& pixels) {
  uint32_t* memory = pixels.AllPixels().data();
  if (view && view->pixels == memory && view->w == pixels.width && view->h == pixels.height) return view;
  SDL_FreeSurface(view);
  view = SDL_CreateRGBSurfaceWithFormatFrom(memory, pixels.width, pixels.height, 32, pixels.width * 4,
                                            SDL_PIXELFORMAT_RGB888);
  return view;
}

void ScaledFrame::Present(SDL_Window* window) {
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target || frame_.width <= 0 || frame_.height <= 0) return;
  SDL_Surface* shown = Wrap(frameView_, frame_);
  if (!shown) return;
  if (scale_ != 1) {
    const int width = ScaleUp(frame_.width, scale_), height = ScaleUp(frame_.height, scale_);
    if (scaled_.width != width || scaled_.height != height) scaled_ = Surface(width, height);
    SDL_Surface* scaledView = Wrap(scaledView_, scaled_);
    if (!scaledView) return;
    if (IsWholeScale(scale_))
      Multiply(frame_, scaled_, static_cast<int>(scale_));
    else
      SDL_SoftStretchLinear(shown, nullptr, scaledView, nullptr);
    shown = scaledView;
  }
  SDL_BlitSurface(shown, nullptr, target, nullptr);
  SDL_UpdateWindowSurface(window);
}

}  // namespace winapi
