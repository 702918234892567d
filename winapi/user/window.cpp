// Window classes and windows: creation with WM_CREATE, the client area's pixels behind
// GetDC, invalidation, and the input that the display hands over.
#include "user/window.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "backend.h"

namespace winapi {
namespace {

WindowTables& T() { return WindowTable(); }

// The stand-ins for the system icon and cursor: never drawn, only handed back.
HICON const kApplicationIcon = reinterpret_cast<HICON>(uintptr_t{0x7F00});
HCURSOR const kArrowCursor = reinterpret_cast<HCURSOR>(uintptr_t{0x7F01});

LPARAM PackPoint(int x, int y) { return MAKELPARAM(x, y); }

// Device contexts still out when their window goes are released with it.
void ForgetWindow(Window& window) {
  WindowTables& t = T();
  for (auto it = t.dcs.begin(); it != t.dcs.end();) {
    if (it->second == &window) {
      ReleaseSurfaceDC(it->first);
      it = t.dcs.erase(it);
    } else {
      ++it;
    }
  }
  if (Display* display = CurrentDisplay()) display->DestroyNative(window);
  if (window.menu) UnregisterMenu(window.menu.get());
}

void HandleMenuResult(Window& window, const MenuBar::Result& result) {
  if (result.command) PostMessageA(window.handle, WM_COMMAND, result.command, 0);
  if (result.redraw) PresentWindow(window);
}

}  // namespace

WindowTables& WindowTable() {
  static WindowTables tables;
  return tables;
}

std::string ClassKey(const char* name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

Window* FindWindowByHandle(HWND handle) {
  const auto found = T().windows.find(reinterpret_cast<uintptr_t>(handle));
  return found == T().windows.end() ? nullptr : found->second.get();
}

Window* FirstInvalidWindow() {
  for (auto& [handle, window] : T().windows)
    if (window->invalid) return window.get();
  return nullptr;
}

void ComposeWindow(const Window& window, Surface& frame) {
  // The frame of the previous present is drawn over again: every pixel is written below.
  if (frame.width != window.OuterWidth() || frame.height != window.OuterHeight())
    frame = Surface(window.OuterWidth(), window.OuterHeight());
  const int top = window.MenuBarHeight();
  for (int y = 0; y < window.client.height; ++y)
    std::copy(window.client.Row(y), window.client.Row(y) + window.client.width, frame.Row(y + top));
  if (window.menuBar) window.menuBar->Draw(frame);
}

void PresentWindow(Window& window) {
  window.shownGeneration = window.client.generation;
  if (Display* display = CurrentDisplay()) display->Present(window);
}

void InputMouseMove(Window& window, int x, int y) {
  if (window.menuBar) HandleMenuResult(window, window.menuBar->MouseMove(x, y));
}

void InputMouseButton(Window& window, int x, int y, bool down) {
  if (window.menuBar) {
    const MenuBar::Result result = down ? window.menuBar->MouseDown(x, y) : window.menuBar->MouseUp(x, y);
    HandleMenuResult(window, result);
    if (result.consumed) {
      window.pressInClient = false;
      return;
    }
  }
  const int clientY = y - window.MenuBarHeight();
  if (down) {
    window.pressInClient = true;
    PostMessageA(window.handle, WM_LBUTTONDOWN, 0, PackPoint(x, clientY));
  } else if (window.pressInClient) {
    window.pressInClient = false;
    PostMessageA(window.handle, WM_LBUTTONUP, 0, PackPoint(x, clientY));
  }
}

void InputKey(Window& window, MenuKey key, char letter) {
  if (window.menuBar) HandleMenuResult(window, window.menuBar->Key(key, letter));
}

void InputClose(Window& window) {
  InputCancelMenu(window);
  PostMessageA(window.handle, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void InputCancelMenu(Window& window) {
  if (window.menuBar) HandleMenuResult(window, window.menuBar->Close());
}

void DestroyAllWindows() {
  WindowTables& t = T();
  for (auto& [handle, window] : t.windows) ForgetWindow(*window);
  t.windows.clear();
}

void ForgetAllClasses() {
  T().classes.clear();
  T().nextAtom = kFirstClassAtom;
}

}  // namespace winapi

using winapi::T;
using winapi::Window;

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
  if (!wndClass || !wndClass->lpszClassName || !wndClass->lpfnWndProc) return 0;
  if (IS_INTRESOURCE(wndClass->lpszClassName)) return 0;  // atoms as names are not needed here
  const std::string key = winapi::ClassKey(wndClass->lpszClassName);
  if (T().classes.contains(key)) return 0;
  if (T().nextAtom == 0) return 0;  // every class atom is taken
  winapi::WindowClass cls;
  cls.name = wndClass->lpszClassName;
  cls.proc = wndClass->lpfnWndProc;
  cls.style = wndClass->style;
  cls.icon = wndClass->hIcon;
  cls.cursor = wndClass->hCursor;
  cls.background = wndClass->hbrBackground;
  // Only menus with integer identifiers exist in our resources.
  if (wndClass->lpszMenuName && IS_INTRESOURCE(wndClass->lpszMenuName))
    cls.menuId = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(wndClass->lpszMenuName));
  T().classes.emplace(key, std::move(cls));
  return T().nextAtom++;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  return !instance && name == IDI_APPLICATION ? winapi::kApplicationIcon : nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  return !instance && name == IDC_ARROW ? winapi::kArrowCursor : nullptr;
}

// The window manager draws the caption and the border around what SDL calls the window,
// so the outer window here is the menu bar and the client area.
BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD, BOOL menu) {
  if (!rect) return FALSE;
  if (menu) rect->top -= winapi::kMenuBarHeight;
  return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
  winapi::Display* display = winapi::CurrentDisplay();
  switch (index) {
    case SM_CXSCREEN:
      return display ? display->ScreenWidth() : 0;
    case SM_CYSCREEN:
      return display ? display->ScreenHeight() : 0;
    case SM_CYMENU:
      return winapi::kMenuBarHeight;
    default:
      return 0;
  }
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  if (!className || IS_INTRESOURCE(className)) return nullptr;
  const auto cls = T().classes.find(winapi::ClassKey(className));
  if (cls == T().classes.end()) return nullptr;

  auto window = std::make_unique<Window>();
  window->handle = reinterpret_cast<HWND>(T().nextWindow);
  T().nextWindow += 4;
  window->proc = cls->second.proc;
  window->className = cls->second.name;
  window->title = windowName ? windowName : "";
  window->style = style;
  window->x = x;
  window->y = y;
  // A menu handle of our own cannot be given to a window; only the class's resource menu is.
  (void)menu;
  if (cls->second.menuId) window->menu = winapi::LoadMenuResource(cls->second.menuId);
  if (window->menu) {
    winapi::RegisterMenu(window->menu.get());
    window->menuBar = std::make_unique<winapi::MenuBar>(window->menu.get(), std::max(width, 0));
  }
  window->client = winapi::Surface(std::max(width, 0), std::max(height - window->MenuBarHeight(), 0));
  if (HBRUSH background = cls->second.background) {
    RECT all{0, 0, window->client.width, window->client.height};
    HDC dc = winapi::CreateSurfaceDC(&window->client);
    FillRect(dc, &all, background);
    winapi::ReleaseSurfaceDC(dc);
  }

  HWND handle = window->handle;
  Window& created = *window;
  std::string error = "no display is open";
  winapi::Display* display = winapi::CurrentDisplay();
  if (!display || !display->CreateNative(created, error)) {
    // Nothing half-made is left behind: the caller sees NULL, as on Windows, and the user
    // learns why.
    std::fprintf(stderr, "%s: cannot create a window of class %s: %s\n", program_invocation_short_name,
                 created.className.c_str(), error.c_str());
    if (window->menu) winapi::UnregisterMenu(window->menu.get());
    return nullptr;
  }
  T().windows.emplace(reinterpret_cast<uintptr_t>(handle), std::move(window));

  CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                       className, exStyle};
  if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window) return FALSE;
  SendMessageA(handle, WM_DESTROY, 0, 0);
  // The window procedure may have destroyed the window itself meanwhile.
  window = winapi::FindWindowByHandle(handle);
  if (!window) return TRUE;
  winapi::ForgetWindow(*window);
  T().windows.erase(reinterpret_cast<uintptr_t>(handle));
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND handle, int showCommand) {
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window) return FALSE;
  const bool wasVisible = window->visible;
  window->visible = showCommand != SW_HIDE;
  if (winapi::Display* display = winapi::CurrentDisplay()) display->Show(*window, window->visible);
  if (window->visible && !wasVisible) winapi::PresentWindow(*window);
  return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND handle) {
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window) return FALSE;
  if (window->invalid) SendMessageA(handle, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT*, BOOL) {
  // Any part invalid makes a WM_PAINT due. The layer keeps no update region: a WM_PAINT
  // here is for the whole client area, which the program paints whole.
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window) return FALSE;
  window->invalid = true;
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND handle, const RECT* rect) {
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window) return FALSE;
  // A part validated leaves the rest invalid, so only the whole area counts.
  if (!rect || (rect->left <= 0 && rect->top <= 0 && rect->right >= window->client.width &&
                rect->bottom >= window->client.height))
    window->invalid = false;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window || !rect) return FALSE;
  *rect = {0, 0, window->client.width, window->client.height};
  return TRUE;
}

HDC WINAPI GetDC(HWND handle) {
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window) return nullptr;
  HDC dc = winapi::CreateSurfaceDC(&window->client);
  if (dc) T().dcs[dc] = window;
  return dc;
}

// What was drawn is shown when the device context is given back: a program may draw a
// whole frame between GetDC and ReleaseDC and then work on without returning to the
// message loop before its next frame.
int WINAPI ReleaseDC(HWND handle, HDC dc) {
  const auto found = T().dcs.find(dc);
  if (found == T().dcs.end() || found->second->handle != handle) return 0;
  Window* window = found->second;
  T().dcs.erase(found);
  winapi::ReleaseSurfaceDC(dc);
  if (window->client.generation != window->shownGeneration && window->visible) winapi::PresentWindow(*window);
  return 1;
}

HMENU WINAPI GetMenu(HWND handle) {
  Window* window = winapi::FindWindowByHandle(handle);
  return window && window->menu ? reinterpret_cast<HMENU>(window->menu.get()) : nullptr;
}
