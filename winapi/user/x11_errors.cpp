// SDL 2.26 can send its wake-up event to a window that it has just destroyed (later SDL
// releases fixed this); the BadWindow error that comes back would make Xlib's default
// handler end the program with exit code 1 when a message box or the main window goes.
// Kept apart from the rest of the layer: Xlib's names (Window, Display) clash with ours.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

#include <cstring>

namespace winapi {
namespace {

XErrorHandler previousHandler = nullptr;

int IgnoreStaleWakeup(::Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
  return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace

void IgnoreStaleX11Wakeups() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return;
  // SDL loads Xlib; taking the function from the process keeps the layer from linking it itself.
  using SetHandler = XErrorHandler (*)(XErrorHandler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, "XSetErrorHandler")))
    previousHandler = set(IgnoreStaleWakeup);
}

}  // namespace winapi
