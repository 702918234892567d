// Window classes and windows: creation with WM_CREATE, the client area's pixels behind
// GetDC, invalidation, and the input that the display hands over.
#include "user/window.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "backend.h"
#include "boundary.h"

namespace winapi {
namespace {

WindowTables& T() { return WindowTable(); }

// Windows keeps each side of a window's rectangle within 0..65535, whatever was asked.
constexpr int kLargestWindowSide = 65535;

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

// DeleteDC of a DC from GetDC. A DC of the window's own or of its class stays: Windows
// answers TRUE and leaves it to ReleaseDC. Any other goes, and the window forgets it.
bool KeepDeletedDC(HDC) { return false; }
bool ForgetDeletedDC(HDC dc) {
  T().dcs.erase(dc);
  return true;
}

// Makes a window of the class and enters it in the table with its native window. Null,
// with the reason told, when the display makes no native window; for want of memory it
// throws. Either way it leaves nothing behind.
Window* AddWindow(const WindowClass& cls, LPCSTR windowName, DWORD style, int x, int y, int width, int height) {
  auto window = std::make_unique<Window>();
  window->handle = reinterpret_cast<HWND>(T().nextWindow);
  T().nextWindow += 4;
  window->proc = cls.proc;
  window->className = cls.name;
  window->title = windowName ? windowName : "";
  window->style = style;
  window->classDC = (cls.style & (CS_OWNDC | CS_CLASSDC)) != 0;
  window->x = x;
  window->y = y;
  if (cls.menuId) window->menu = LoadMenuResource(cls.menuId);
  window->clientWidth = std::clamp(width, 0, kLargestWindowSide);
  window->clientHeight = std::max(std::clamp(height, 0, kLargestWindowSide) - (window->menu ? kMenuBarHeight : 0), 0);
  // The pixels stop at the screen's size: no more of a window can be shown at once.
  Display* display = CurrentDisplay();
  int shownWidth = window->clientWidth, shownHeight = window->clientHeight;
  if (display && display->ScreenWidth() > 0) shownWidth = std::min(shownWidth, display->ScreenWidth());
  if (display && display->ScreenHeight() > 0) shownHeight = std::min(shownHeight, display->ScreenHeight());
  if (window->menu) window->menuBar = std::make_unique<MenuBar>(window->menu.get(), shownWidth);
  window->client = Surface(shownWidth, shownHeight);
  if (HBRUSH background = cls.background) {
    RECT all{0, 0, window->client.width, window->client.height};
    HDC dc = CreateSurfaceDC(&window->client);
    FillRect(dc, &all, background);
    ReleaseSurfaceDC(dc);
  }

  std::string error = "no display is open";
  if (window->menu) RegisterMenu(window->menu.get());
  try {
    if (!display || !display->CreateNative(*window, error)) {
      // The caller sees NULL, as on Windows, and the user learns why.
      std::fprintf(stderr, "%s: cannot create a window of class %s: %s\n", program_invocation_short_name,
                   window->className.c_str(), error.c_str());
      if (window->menu) UnregisterMenu(window->menu.get());
      return nullptr;
    }
    Window& added = *window;
    T().windows.try_emplace(reinterpret_cast<uintptr_t>(added.handle)).first->second = std::move(window);
    return &added;
  } catch (...) {
    if (window->menu) UnregisterMenu(window->menu.get());
    if (display) display->DestroyNative(*window);
    throw;
  }
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
  const uint64_t generation = window.client.generation;
  Display* display = CurrentDisplay();
  // A frame that cannot be composed for want of memory is not shown; the next present shows it.
  const auto present = [&] {
    display->Present(window);
    return true;
  };
  if (!display || Guarded(false, present)) window.shownGeneration = generation;
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
  return winapi::Guarded<ATOM>(0, [&]() -> ATOM {
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
  });
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
  // A menu handle of our own cannot be given to a window; only the class's resource menu is.
  const HWND handle = winapi::Guarded<HWND>(nullptr, [&]() -> HWND {
    const auto cls = T().classes.find(winapi::ClassKey(className));
    if (cls == T().classes.end()) return nullptr;
    const Window* window = winapi::AddWindow(cls->second, windowName, style, x, y, width, height);
    return window ? window->handle : nullptr;
  });
  if (!handle) return nullptr;

  // The procedure sees the size as it was asked.
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
  if (!rect || (rect->left <= 0 && rect->top <= 0 && rect->right >= window->clientWidth &&
                rect->bottom >= window->clientHeight))
    window->invalid = false;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window || !rect) return FALSE;
  *rect = {0, 0, window->clientWidth, window->clientHeight};
  return TRUE;
}

HDC WINAPI GetDC(HWND handle) {
  Window* window = winapi::FindWindowByHandle(handle);
  if (!window) return nullptr;
  return winapi::Guarded<HDC>(nullptr, [&] {
    HDC dc = winapi::CreateSurfaceDC(&window->client,
                                     window->classDC ? winapi::KeepDeletedDC : winapi::ForgetDeletedDC);
    try {
      T().dcs[dc] = window;
    } catch (...) {
      winapi::ReleaseSurfaceDC(dc);
      throw;
    }
    return dc;
  });
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
