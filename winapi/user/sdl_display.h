// The SDL2 display: one SDL window per top-level window, drawn in software.
#pragma once

#include <SDL.h>

#include <string>

#include "user/display.h"

namespace winapi {

// The layer's X error and lost-connection handlers (see x11_errors.cpp); before SDL_Init.
void InstallX11ErrorHandlers();
// After SDL_Init: from here on the layer learns when another client destroys its windows.
void WatchX11Windows();
// A window the layer made, and the same window destroyed by the layer itself.
void AdoptX11Window(SDL_Window* window);
void ReleaseX11Window(SDL_Window* window);
// Whether another client destroyed the X window behind an SDL window.
bool X11WindowLost(SDL_Window* window);

// Runs a message box: its own SDL window, shown at the desktop's scale, and a nested
// event loop until it is dismissed.
int RunSdlMessageBox(SDL_Window* owner, Window* ownerWindow, const std::string& text, const std::string& caption,
                     double scale);

}  // namespace winapi
