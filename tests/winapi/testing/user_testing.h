// The test library's USER32 side: the headless display (a backend of backend.h, as
// user/sdl/ is the program's), input as the user would give it, and what windows show.
// Game code never includes this; tests and the fuzzer do.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gdi/surface.h"

namespace winapi {

// From here on windows exist only in memory: nothing is shown, message boxes are
// answered IDOK at once and recorded, Sleep returns at once (kernel_testing.h), and
// input comes only from the calls below. Also starts afresh: destroys every window (each
// gets its WM_DESTROY), forgets every class, queued message and recorded box. Call it
// before the first window, and again between tests.
void UseHeadlessDisplay();

// While on, the headless display makes no native window: CreateWindowExA then fails as
// it does when the window system refuses a window. UseHeadlessDisplay turns it off.
void FailNativeWindows(bool fail);

// The calls below that name a window do nothing for a window that is gone (and the
// ones that read give empty results), so that a test may go on after an exit.

// Input as the user would give it, in client coordinates: a press and a release of the
// left button, each delivered as the menu bar would let it through.
void PostClick(HWND window, int x, int y);
// Choosing a menu item: posts WM_COMMAND with the identifier, as the menu does.
void PostCommand(HWND window, UINT id);
// The window manager's close button.
void PostClose(HWND window);
// The menu by the keyboard and the mouse, in outer window coordinates (the menu bar
// is the top SM_CYMENU rows, the client area below it).
enum class Key { Alt, F10, Left, Right, Up, Down, Enter, Escape };
void PostKey(HWND window, Key key);
void PostLetter(HWND window, char letter, bool alt);
void PostMouseMove(HWND window, int x, int y);
void PostMouseButton(HWND window, int x, int y, bool down);

// Dispatches queued messages and due WM_PAINTs until none is left. Returns the
// WM_QUIT code when the quit message was reached (dispatching stops there).
std::optional<int> PumpMessages();

// Called by GetMessageA on the headless display when the queue is empty, so that a test
// can drive a whole WinMain; when it queues nothing, GetMessageA fails (-1).
void SetIdleHandler(std::function<void()> handler);

struct RecordedMessageBox {
  HWND owner;
  std::string text;     // code page 932, as given
  std::string caption;  // code page 932, as given
  UINT type;
};
// Every box shown since UseHeadlessDisplay, oldest first.
const std::vector<RecordedMessageBox>& RecordedMessageBoxes();
void ClearRecordedMessageBoxes();
// Called while a box is up (before it is answered), to look at the owner meanwhile.
void SetMessageBoxObserver(std::function<void(const RecordedMessageBox&)> observer);

// What a window shows in its client area.
Surface WindowPixels(HWND window);
// The whole window as shown: the menu bar and any open popup included.
Surface WindowFrame(HWND window);
// How many times the window's pictures were shown; each repaint that drew adds one.
uint64_t WindowFrameCount(HWND window);

bool IsWindowAlive(HWND window);
HWND FindWindowOfClass(const char* className);
// What RegisterClassA kept of a class; nothing for a class not registered.
struct RegisteredClass {
  UINT style;
  HICON icon;
  HCURSOR cursor;
  HBRUSH background;
  UINT menuId;  // the menu resource's integer identifier, 0 for none
};
std::optional<RegisteredClass> FindRegisteredClass(const char* className);
// The style the window was created with.
DWORD WindowStyle(HWND window);
// Whether the menu item with this command carries a check or radio mark.
bool MenuItemChecked(HWND window, UINT id);
// Where the menu bar's title i and item j of its open popup are (outer window coordinates).
RECT MenuTitleRect(HWND window, int title);
RECT MenuPopupItemRect(HWND window, int item);
int OpenMenuPopup(HWND window);  // -1 when none is open

}  // namespace winapi
