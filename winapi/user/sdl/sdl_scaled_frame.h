// Shows frames drawn in the program's units on an SDL window at the desktop's scale,
// keeping its buffers from one frame to the next.
#pragma once

#include <SDL.h>

#include "gdi/surface.h"

namespace winapi {

class ScaledFrame {
 public:
  explicit ScaledFrame(double scale) : scale_(scale) {}
  ~ScaledFrame();
  ScaledFrame(const ScaledFrame&) = delete;
  ScaledFrame& operator=(const ScaledFrame&) = delete;

  double Scale() const { return scale_; }
  // Where the program composes the window's picture; its size is the window's in program units.
  Surface& Frame() { return frame_; }
  void Present(SDL_Window* window);

 private:
  SDL_Surface* Wrap(SDL_Surface*& wrapper, Surface& pixels);

  double scale_;
  Surface frame_;
  Surface scaled_;
  SDL_Surface* frameView_ = nullptr;   // frame_'s pixels as SDL sees them
  SDL_Surface* scaledView_ = nullptr;  // scaled_'s
};

}  // namespace winapi
