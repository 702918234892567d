// How the layer survives its X connection: errors, a lost server, and windows that other
// clients destroy. Only SDL's types here, so that Xlib's names stay in x11_errors.cpp.
#pragma once

#include <SDL.h>

namespace winapi {

// The layer's X error and lost-connection handlers; before SDL_Init.
void InstallX11ErrorHandlers();
// After SDL_Init: from here on the layer learns when another client destroys its windows.
void WatchX11Windows();
// A window the layer made, and the same window destroyed by the layer itself.
void AdoptX11Window(SDL_Window* window);
void ReleaseX11Window(SDL_Window* window);
// Whether another client destroyed the X window behind an SDL window.
bool X11WindowLost(SDL_Window* window);

}  // namespace winapi
