// The SDL2 display: a backend (backend.h) that shows each top-level window as an SDL
// window on X, drawn in software at the desktop's scale, and runs message boxes as
// windows of their own.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "backend.h"

namespace winapi {

// Opens the display DISPLAY names; null, with a one-line explanation, when there is no
// screen to show windows on.
std::unique_ptr<Display> OpenSdlDisplay(std::string& error);

// Runs a message box: its own SDL window, shown at the desktop's scale, and a nested
// event loop until it is dismissed.
int RunSdlMessageBox(SDL_Window* owner, Window* ownerWindow, const std::string& text, const std::string& caption,
                     double scale);

}  // namespace winapi
