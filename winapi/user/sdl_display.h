// The SDL2 display: one SDL window per top-level window, drawn in software.
#pragma once

#include <SDL.h>

#include <string>

#include "gdi/surface.h"
#include "user/display.h"

namespace winapi {

// Copies a surface of 0x00RRGGBB pixels onto an SDL window and shows it.
void BlitToSdlWindow(SDL_Window* window, const Surface& pixels);

// Keeps a stale wake-up of SDL's from ending the program (see x11_errors.cpp).
void IgnoreStaleX11Wakeups();

// Runs a message box: its own SDL window and a nested event loop until it is dismissed.
int RunSdlMessageBox(SDL_Window* owner, Window* ownerWindow, const std::string& text, const std::string& caption);

}  // namespace winapi
