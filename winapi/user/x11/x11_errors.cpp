// What the layer does about X errors and about losing the X server.
//
// SDL 2.26 can send its wake-up event to a window that it has just destroyed (later SDL
// releases fixed this); the BadWindow error that comes back would make Xlib's default
// handler end the program with exit code 1 when a message box or the main window goes.
//
// Another client may destroy one of our windows (xdotool windowclose, a misbehaving
// window manager). SDL goes on making requests on it, and each comes back as BadWindow or
// BadDrawable, which Xlib's default handler turns into exit(1), whose exit handlers then
// shut SDL down over a connection in the middle of an error and trip Xlib's assertions.
// Errors that name one of our windows are taken as that window being gone; the display
// closes it as its close button would. A move of a window that has gone since comes with
// a second error that names no window of ours: SDL asks for the window's parent to place
// it on the screen, does not check that the question failed, and asks where that unset
// parent lies. The answer goes unused, so the error is dropped.
//
// When the connection itself is lost (the server ended, XKillClient), Xlib's default I/O
// error handler calls exit(); the exit handlers shut SDL down, and SDL then waits for ever
// for a reply on the dead connection. Ours writes one line and ends the process at once,
// without touching the connection again.
//
// The handlers go in before SDL opens its displays. SDL puts its own error handler over
// whatever it finds, passes other errors on to it, and puts back what it found when it
// shuts down; the error can still arrive while SDL closes its connections. A handler set
// after SDL_Init would be gone by then, and Xlib's default one would end the program.
//
// Kept apart from the rest of the layer: Xlib's names (Window, Display) clash with ours.
#include "user/x11/x11_errors.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace winapi {
namespace {

XErrorHandler previousHandler = nullptr;

enum class Fate { Live, Lost, DestroyedByUs };

// Our X windows, by id, and what became of them. Ids stay after the window goes: errors
// about requests made just before can still arrive.
std::map<XID, Fate>& OurWindows() {
  static std::map<XID, Fate> windows;
  return windows;
}

XID XidOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return info.info.x11.window;
}

// Marks a window of ours as destroyed by someone else; false for any other window.
bool NoteLost(XID id) {
  const auto found = OurWindows().find(id);
  if (found == OurWindows().end()) return false;
  if (found->second == Fate::Live) found->second = Fate::Lost;
  return true;
}

int HandleError(::Display* display, XErrorEvent* error) {
  if ((error->error_code == BadWindow || error->error_code == BadDrawable) && NoteLost(error->resourceid)) return 0;
  // SDL's wake-up and its question about the parent's place: their failure changes nothing.
  if (error->error_code == BadWindow &&
      (error->request_code == X_SendEvent || error->request_code == X_TranslateCoords))
    return 0;
  return previousHandler ? previousHandler(display, error) : 0;
}

// Runs inside Xlib with the connection broken: only async-signal-safe calls, then out.
int ConnectionLost(::Display*) {
  char line[256];
  const char* name = std::getenv("DISPLAY");
  const int length = std::snprintf(line, sizeof line, "%s: lost the connection to the X server (DISPLAY=%s)\n",
                                    program_invocation_short_name, name ? name : "");
  if (length > 0) {
    const ssize_t written = write(STDERR_FILENO, line, static_cast<size_t>(length) < sizeof line ? length : sizeof line - 1);
    (void)written;
  }
  _exit(1);
}

// SDL passes every X event on as SDL_SYSWMEVENT; a watch sees them whichever loop pumps
// (a message box runs its own).
int WatchDestruction(void*, SDL_Event* event) {
  if (event->type == SDL_SYSWMEVENT && event->syswm.msg && event->syswm.msg->subsystem == SDL_SYSWM_X11) {
    const XEvent& x = event->syswm.msg->msg.x11.event;
    if (x.type == DestroyNotify) NoteLost(x.xdestroywindow.window);
  }
  return 0;
}

}  // namespace

void InstallX11ErrorHandlers() {
  // Once only: SDL leaves this handler in place when it shuts down, and installing it over
  // itself would make it its own predecessor.
  static bool installed = false;
  if (installed) return;
  previousHandler = XSetErrorHandler(HandleError);
  XSetIOErrorHandler(ConnectionLost);
  installed = true;
}

void WatchX11Windows() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || SDL_strcmp(driver, "x11") != 0) return;
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  SDL_DelEventWatch(WatchDestruction, nullptr);
  SDL_AddEventWatch(WatchDestruction, nullptr);
}

void AdoptX11Window(SDL_Window* window) {
  if (const XID id = XidOf(window)) OurWindows()[id] = Fate::Live;
}

void ReleaseX11Window(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  const XID id = info.info.x11.window;
  if (OurWindows()[id] == Fate::Lost) {
    // SDL hides a window before destroying it: it asks the server whether the window is
    // mapped, reads the answer even when the request failed, and may then wait for an
    // UnmapNotify that a window already gone never sends. One put in front of the queue
    // ends that wait; when SDL does not wait, SDL drops it as an event for no window.
    XEvent unmap{};
    unmap.xunmap.type = UnmapNotify;
    unmap.xunmap.display = info.info.x11.display;
    unmap.xunmap.event = id;
    unmap.xunmap.window = id;
    XPutBackEvent(info.info.x11.display, &unmap);
  }
  OurWindows()[id] = Fate::DestroyedByUs;
}

bool X11WindowLost(SDL_Window* window) {
  const auto found = OurWindows().find(XidOf(window));
  return found != OurWindows().end() && found->second == Fate::Lost;
}

}  // namespace winapi
