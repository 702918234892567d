// A display backend: where windows appear and where input comes from. One is in use
// per process: SDL2 on a real screen, or the headless one for tests.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace winapi {

struct Window;

class Display {
 public:
  virtual ~Display() = default;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // Makes the native window behind a window; false, with the reason, when it cannot be made.
  virtual bool CreateNative(Window& window, std::string& error) = 0;
  virtual void DestroyNative(Window& window) = 0;
  virtual void Show(Window& window, bool show) = 0;
  virtual void Present(Window& window) = 0;
  // Turns pending platform events into input; with wait, first waits for at least one.
  // Returns false when no input can ever arrive.
  virtual bool PumpEvents(bool wait) = 0;
  // Shows a modal box over owner (may be null) and returns the button chosen.
  virtual int RunMessageBox(Window* owner, const std::string& text, const std::string& caption, UINT type) = 0;
};

// The display in use: the one OpenDisplay or UseHeadlessDisplay chose, or else (first
// used without either) a headless one.
Display& CurrentDisplay();
// The display chosen so far, or null.
Display* OpenedDisplay();

std::unique_ptr<Display> MakeHeadlessDisplay();

// Whether the test switch FailNativeWindows is on: then no native window can be made.
bool NativeWindowsFail();

// The SDL display; null with an explanation when there is no screen to show windows on.
Display* OpenSdlDisplay(std::string& error);

}  // namespace winapi
