// Kept apart from the rest of the layer: Xlib's names (Window, Display) clash with ours.
#include "user/x11/x11_window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace winapi::x11 {
namespace {

// _MOTIF_WM_HINTS as window managers read it: five longs of 32-bit format.
constexpr long kMwmFunctions = 1L << 0, kMwmDecorations = 1L << 1;
constexpr long kFuncResize = 1L << 1, kFuncMove = 1L << 2, kFuncMinimize = 1L << 3, kFuncMaximize = 1L << 4,
               kFuncClose = 1L << 5;
constexpr long kDecorBorder = 1L << 1, kDecorResize = 1L << 2, kDecorTitle = 1L << 3, kDecorMenu = 1L << 4,
               kDecorMinimize = 1L << 5, kDecorMaximize = 1L << 6;

struct XWindow {
  ::Display* display = nullptr;
  ::Window window = 0;
  explicit operator bool() const { return display && window; }
};

XWindow XWindowOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return {};
  return {info.info.x11.display, info.info.x11.window};
}

Atom Intern(const XWindow& w, const char* name) { return XInternAtom(w.display, name, False); }

void SetAtoms(const XWindow& w, const char* property, const std::vector<const char*>& names) {
  std::vector<Atom> atoms;
  for (const char* name : names) atoms.push_back(Intern(w, name));
  XChangeProperty(w.display, w.window, Intern(w, property), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
}

void SetFrame(const XWindow& w, const FrameOffer& offer) {
  long functions = kFuncMove, decorations = kDecorBorder;
  if (offer.title) decorations |= kDecorTitle;
  const auto offers = [&](bool offered, long function, long decoration) {
    if (!offered) return;
    functions |= function;
    decorations |= decoration;
  };
  offers(offer.close, kFuncClose, kDecorMenu);
  offers(offer.minimize, kFuncMinimize, kDecorMinimize);
  offers(offer.maximize, kFuncMaximize, kDecorMaximize);
  offers(offer.resize, kFuncResize, kDecorResize);
  long hints[5] = {kMwmFunctions | kMwmDecorations, functions, decorations, 0, 0};
  const Atom motif = Intern(w, "_MOTIF_WM_HINTS");
  XChangeProperty(w.display, w.window, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(hints), 5);

  if (offer.resize) return;
  // A window manager that ignores the Motif hints still cannot resize a window whose
  // smallest and largest sizes are its size.
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(w.display, w.window, &attributes)) return;
  XSizeHints* size = XAllocSizeHints();
  if (!size) return;
  long supplied = 0;
  XGetWMNormalHints(w.display, w.window, size, &supplied);
  size->flags |= PMinSize | PMaxSize;
  size->min_width = size->max_width = attributes.width;
  size->min_height = size->max_height = attributes.height;
  XSetWMNormalHints(w.display, w.window, size);
  XFree(size);
}

// WM_NAME is read in every locale: plain ASCII as STRING, anything else as compound
// text, whose charsets are named inside it. (SDL writes the title converted to the
// locale's charset as STRING: question marks under LC_ALL=C, UTF-8 bytes labelled
// Latin-1 under a UTF-8 locale.) _NET_WM_NAME carries the same text in UTF-8.
void SetTitle(const XWindow& w, const std::string& utf8) {
  const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  std::vector<char> copy(utf8.begin(), utf8.end());
  copy.push_back('\0');
  char* list[] = {copy.data()};
  XTextProperty text{};
  const bool compound =
      !ascii && Xutf8TextListToTextProperty(w.display, list, 1, XCompoundTextStyle, &text) == Success;
  if (!compound) {
    text.value = reinterpret_cast<unsigned char*>(copy.data());
    text.encoding = ascii ? XA_STRING : Intern(w, "UTF8_STRING");
    text.format = 8;
    text.nitems = utf8.size();
  }
  XSetWMName(w.display, w.window, &text);
  XSetWMIconName(w.display, w.window, &text);
  if (compound) XFree(text.value);

  const Atom utf8String = Intern(w, "UTF8_STRING");
  for (const char* property : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"})
    XChangeProperty(w.display, w.window, Intern(w, property), utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
}

// WM_CLASS as X programs set it: the instance named after the program's file, the class
// after what the program calls its windows. Win32 knows a window by its window class, and
// a desktop entry names it (StartupWMClass) to match the program's windows to its launcher.
void SetClass(const XWindow& w, const std::string& windowClass) {
  std::string instance = program_invocation_short_name, cls = windowClass;  // Xlib takes them as char*
  XClassHint hint{instance.data(), cls.data()};
  XSetClassHint(w.display, w.window, &hint);
}

// An owned window is grouped with its owner on the desktop.
void SetClassOf(const XWindow& w, const XWindow& owner) {
  XClassHint hint{};
  if (owner && XGetClassHint(owner.display, owner.window, &hint)) {
    XSetClassHint(w.display, w.window, &hint);
    XFree(hint.res_name);
    XFree(hint.res_class);
  } else {
    SetClass(w, program_invocation_short_name);
  }
}

}  // namespace

void DescribeTopLevel(SDL_Window* window, const std::string& windowClass, const std::string& utf8Title,
                      const FrameOffer& offer) {
  const XWindow w = XWindowOf(window);
  if (!w) return;
  SetClass(w, windowClass);
  SetTitle(w, utf8Title);
  SetFrame(w, offer);
  XFlush(w.display);
}

void DescribeModalBox(SDL_Window* box, SDL_Window* owner, const std::string& utf8Title) {
  const XWindow w = XWindowOf(box);
  if (!w) return;
  const XWindow o = XWindowOf(owner);
  SetClassOf(w, o);
  SetTitle(w, utf8Title);
  // Minimizing a box would take its owner along (the window manager keeps a group
  // together) and leave nothing on screen to bring the program back with.
  SetFrame(w, {.title = true, .close = true, .minimize = false, .maximize = false, .resize = false});
  SetAtoms(w, "_NET_WM_WINDOW_TYPE", {"_NET_WM_WINDOW_TYPE_DIALOG"});
  SetAtoms(w, "_NET_WM_STATE", {"_NET_WM_STATE_MODAL", "_NET_WM_STATE_SKIP_TASKBAR"});
  if (o) XSetTransientForHint(w.display, w.window, o.window);
  XFlush(w.display);
}

// SDL's own restore maps the window or asks for it to be activated only after asking the
// server whether the window is mapped; a window manager that marks a window hidden before
// it unmaps it (openbox) is often between the two, and the window stays away. Ask both
// ways without asking first: the activation is queued behind the minimizing, and the map
// serves window managers that know only ICCCM's iconic state.
bool BringBack(SDL_Window* window) {
  const XWindow w = XWindowOf(window);
  if (!w) return false;
  XEvent activate{};
  activate.xclient.type = ClientMessage;
  activate.xclient.window = w.window;
  activate.xclient.message_type = Intern(w, "_NET_ACTIVE_WINDOW");
  activate.xclient.format = 32;
  activate.xclient.data.l[0] = 1;  // from the application
  activate.xclient.data.l[1] = CurrentTime;
  XSendEvent(w.display, DefaultRootWindow(w.display), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &activate);
  XMapRaised(w.display, w.window);
  XFlush(w.display);
  return true;
}

std::optional<std::string> RootResources() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::string_view(driver) != "x11") return std::nullopt;
  ::Display* display = XOpenDisplay(nullptr);
  if (!display) return std::nullopt;
  std::optional<std::string> resources;
  if (const char* text = XResourceManagerString(display)) resources = text;
  XCloseDisplay(display);
  return resources;
}

}  // namespace winapi::x11
