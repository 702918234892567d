#include "x11_requests.h"

#include <X11/Xlib.h>

namespace x11_requests {
namespace {

template <typename Request>
bool OnDestroyedWindow(Request request) {
  ::Display* x = XOpenDisplay(nullptr);
  if (!x) return false;
  const ::Window gone = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, 0, 0);
  XDestroyWindow(x, gone);
  request(x, gone);
  XSync(x, False);  // the error arrives here
  XCloseDisplay(x);
  return true;
}

}  // namespace

bool SendEventToDestroyedWindow() {
  return OnDestroyedWindow([](::Display* x, ::Window gone) {
    XClientMessageEvent wakeup{};
    wakeup.type = ClientMessage;
    wakeup.window = gone;
    wakeup.format = 8;
    XSendEvent(x, gone, False, NoEventMask, reinterpret_cast<XEvent*>(&wakeup));
  });
}

bool MapDestroyedWindow() {
  return OnDestroyedWindow([](::Display* x, ::Window gone) { XMapWindow(x, gone); });
}

}  // namespace x11_requests
