// The layer's seam: where a window system and a clock plug in from outside USER32 and
// KERNEL32. The program's start-up (entry/main.cpp) plugs in the SDL display of
// user/sdl/ and keeps the system clock; the test library (tests/winapi/testing/) plugs
// in a headless display and a clock that can record instead of waiting. The program's
// own code never includes this.
//
// A backend works with what user/window.h declares for it: the windows (Window,
// FindWindowByHandle), the Input calls that turn its events into messages, ComposeWindow
// for the picture, and the message queue (TakeMessage, MessagePending). The test
// library also reads the layer's tables there and in gdi/objects.h (WindowTable,
// GdiObjects) for its object counts and window lookups; the layer keeps them for its
// own calls, and nothing in the program reads them otherwise.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace winapi {

struct Window;

// A window system: where windows appear and where input comes from.
class Display {
 public:
  virtual ~Display() = default;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // Makes the native window behind a window; false, with the reason, when it cannot be made.
  virtual bool CreateNative(Window& window, std::string& error) = 0;
  virtual void DestroyNative(Window& window) = 0;
  virtual void Show(Window& window, bool show) = 0;
  // Shows what the window shows now (ComposeWindow gives the picture).
  virtual void Present(Window& window) = 0;
  // Turns pending platform events into input; with wait, first waits for at least one.
  // Returns false when no input can ever arrive.
  virtual bool PumpEvents(bool wait) = 0;
  // Shows a modal box over owner (may be null) and returns the button chosen.
  virtual int RunMessageBox(Window* owner, const std::string& text, const std::string& caption, UINT type) = 0;
  // Whether GDI writes pixels. A display whose pictures nobody looks at may say no: every
  // drawing call then still checks its device context, objects and arguments and answers
  // as before, only faster.
  virtual bool DrawsPixels() { return true; }
};

// Windows appear on display from now on. Call it while no window exists: at start, or
// after CloseDisplay.
void UseDisplay(std::unique_ptr<Display> display);
// The display in use; null before UseDisplay, and then no window can be made.
Display* CurrentDisplay();
// As when the process ends: forgets every window (without messages), class and queued
// message, and closes the display.
void CloseDisplay();

// Where Sleep and GetTickCount go.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(DWORD milliseconds) = 0;
  // Milliseconds since some fixed moment, wrapping around at 2^32 as on Windows.
  virtual DWORD TickCount() = 0;
};

// The real one: a monotonic clock and a sleep that waits.
Clock& SystemClock();
// Sleep and GetTickCount ask clock from now on; null goes back to SystemClock. The clock
// must outlive its use.
void UseClock(Clock* clock);

}  // namespace winapi
