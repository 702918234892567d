// Windows of the layer: classes, the window table and what a display backend needs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "gdi/surface.h"
#include "user/menu.h"
#include "user/menu_bar.h"

namespace winapi {

struct Window {
  HWND handle = nullptr;
  WNDPROC proc = nullptr;
  std::string className;
  std::string title;  // code page 932
  DWORD style = 0;
  int x = 0, y = 0;  // of the outer window on the screen
  // The client area as GetClientRect gives it.
  int clientWidth = 0, clientHeight = 0;
  // The client area's own pixels, what GetDC draws into: up to the screen's size, since
  // no more of a window can be shown at once.
  Surface client;
  bool classDC = false;  // its class gives it a DC of its own or the class's (CS_OWNDC, CS_CLASSDC)
  std::unique_ptr<Menu> menu;
  std::unique_ptr<MenuBar> menuBar;  // drawn above the client area when the window has a menu
  bool invalid = true;               // a WM_PAINT is due
  bool visible = false;
  bool pressInClient = false;  // a button release reaches the window only after its press did
  uint64_t shownGeneration = ~uint64_t{0};
  void* native = nullptr;  // the display backend's window

  int MenuBarHeight() const { return menuBar ? kMenuBarHeight : 0; }
  int OuterWidth() const { return client.width; }
  int OuterHeight() const { return client.height + MenuBarHeight(); }
};

struct WindowClass {
  std::string name;
  WNDPROC proc = nullptr;
  UINT style = 0;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  uint16_t menuId = 0;  // a menu resource with an integer identifier, 0 for none
};

// Class atoms live in 0xC000..0xFFFF, as on Windows; the range is free again once the
// classes are forgotten.
constexpr ATOM kFirstClassAtom = 0xC000;

// The classes and windows of the process.
struct WindowTables {
  std::map<std::string, WindowClass> classes;  // keyed by ClassKey: names ignore case
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  std::map<HDC, Window*> dcs;  // device contexts handed out by GetDC
  uintptr_t nextWindow = 0x20000;
  ATOM nextAtom = kFirstClassAtom;
};
WindowTables& WindowTable();
std::string ClassKey(const char* name);

Window* FindWindowByHandle(HWND handle);
Window* FirstInvalidWindow();

// Shows the window's pixels: the menu bar, the client area and an open menu over it.
void PresentWindow(Window& window);

// Composes what the window shows into frame (OuterWidth x OuterHeight).
void ComposeWindow(const Window& window, Surface& frame);

// Mouse and keyboard input from the display, in outer window coordinates (the menu
// bar at the top, then the client area). The menu takes what is its own; the rest
// becomes messages for the window.
void InputMouseMove(Window& window, int x, int y);
void InputMouseButton(Window& window, int x, int y, bool down);
void InputKey(Window& window, MenuKey key, char letter);
void InputClose(Window& window);
void InputCancelMenu(Window& window);

// Forget every window, and every class, without sending messages, as when the process ends.
void DestroyAllWindows();
void ForgetAllClasses();

// Adds a message at the end of the queue.
void QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes the next message the way GetMessageA does, without waiting; false when none.
bool TakeMessage(MSG& msg);
// Whether TakeMessage would find one: for a backend that learns of input other than by events.
bool MessagePending();
void ClearMessageQueue();

}  // namespace winapi
