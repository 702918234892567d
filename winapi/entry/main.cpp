// The process start-up of the Linux build: what the C runtime of Windows does before
// WinMain, and the choice of backend (backend.h). Linked into the program only (not into
// tests, which have their own main and display).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "backend.h"
#include "user/sdl/sdl_display.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

int main(int, char** argv) {
  std::string error;
  std::unique_ptr<winapi::Display> display = winapi::OpenSdlDisplay(error);
  if (!display) {
    // The way out without a screen only helps where none was named.
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"))
      std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
    else
      std::fprintf(stderr, "%s: %s; to run without a screen, use: xvfb-run -a %s\n", argv[0], error.c_str(), argv[0]);
    return 1;
  }
  winapi::UseDisplay(std::move(display));
  // The instance handle only has to be non-null and the same throughout the run.
  static char module;
  char commandLine[] = "";
  const int result = WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, commandLine, SW_SHOWDEFAULT);
  winapi::CloseDisplay();
  return result;
}
