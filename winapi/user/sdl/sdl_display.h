// The SDL2 display: one SDL window per top-level window, drawn in software.
#pragma once

#include <SDL.h>

#include <string>

#include "user/display.h"

namespace winapi {

// Runs a message box: its own SDL window, shown at the desktop's scale, and a nested
// event loop until it is dismissed.
int RunSdlMessageBox(SDL_Window* owner, Window* ownerWindow, const std::string& text, const std::string& caption,
                     double scale);

}  // namespace winapi
