// What the X window manager is told about the layer's windows, set before a window is
// first shown: SDL says too little (every button allowed, boxes as ordinary windows,
// titles in the locale's charset). Does nothing for windows not on X.
#pragma once

#include <SDL.h>

#include <optional>
#include <string>

namespace winapi::x11 {

// What the frame of a window offers, from its Win32 style.
struct FrameOffer {
  bool title = true;
  bool close = true;     // and the window menu
  bool minimize = true;
  bool maximize = true;
  bool resize = true;
};

// A top-level window of the program: its class (WM_CLASS: the program's file name, and
// the window class it was registered with), its title, its frame.
void DescribeTopLevel(SDL_Window* window, const std::string& windowClass, const std::string& utf8Title,
                      const FrameOffer& offer);

// A modal box of owner: a dialog on top of it with the owner's WM_CLASS, out of the task
// bar, with a title and a close button only.
void DescribeModalBox(SDL_Window* box, SDL_Window* owner, const std::string& utf8Title);

// Undoes a window manager's minimizing of window, as a click on it in the task bar would.
// False when the window is not on X.
bool BringBack(SDL_Window* window);

// The root window's resource database (what xrdb loads), when the display is X's and has one.
std::optional<std::string> RootResources();

}  // namespace winapi::x11
