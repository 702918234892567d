// SDL 2.26 can send its wake-up event to a window that it has just destroyed (later SDL
// releases fixed this); the BadWindow error that comes back would make Xlib's default
// handler end the program with exit code 1 when a message box or the main window goes.
//
// The handler goes in before SDL opens its displays. SDL puts its own handler over
// whatever it finds, passes other errors on to it, and puts back what it found when it
// shuts down; the error can still arrive while SDL closes its connections. A handler set
// after SDL_Init would be gone by then, and Xlib's default one would end the program.
//
// Kept apart from the rest of the layer: Xlib's names (Window, Display) clash with ours.
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

namespace winapi {
namespace {

XErrorHandler previousHandler = nullptr;

int IgnoreStaleWakeup(::Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
  return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace

void IgnoreStaleX11Wakeups() {
  // SDL brings Xlib in; taking the function from the process keeps the layer from linking
  // it itself. Without Xlib there is no X connection to guard.
  // Once only: SDL leaves this handler in place when it shuts down, and installing it over
  // itself would make it its own predecessor.
  static bool installed = false;
  if (installed) return;
  using SetHandler = XErrorHandler (*)(XErrorHandler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, "XSetErrorHandler"))) {
    previousHandler = set(IgnoreStaleWakeup);
    installed = true;
  }
}

}  // namespace winapi
