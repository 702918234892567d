// Which display windows appear on: the SDL one the program opens, or the headless one
// that tests choose.
#include "user/display.h"

#include <memory>

#include "kernel_layer.h"
#include "user/window.h"
#include "user_layer.h"

namespace winapi {
namespace {

std::unique_ptr<Display>& Current() {
  static std::unique_ptr<Display> display;
  return display;
}

bool nativeWindowsFail = false;

}  // namespace

bool NativeWindowsFail() { return nativeWindowsFail; }

void FailNativeWindows(bool fail) { nativeWindowsFail = fail; }

Display* OpenedDisplay() { return Current().get(); }

Display& CurrentDisplay() {
  // Without a display opened, windows stay in memory rather than reaching a screen.
  if (!Current()) Current() = MakeHeadlessDisplay();
  return *Current();
}

bool OpenDisplay(std::string& error) {
  Display* display = OpenSdlDisplay(error);
  if (!display) return false;
  Current().reset(display);
  return true;
}

void CloseDisplay() {
  DestroyAllWindows();
  ClearMessageQueue();
  Current().reset();
}

void UseHeadlessDisplay() {
  nativeWindowsFail = false;
  // Windows left from before are destroyed properly, so that their procedures free what they hold.
  while (HWND window = AnyWindow()) DestroyWindow(window);
  ForgetAllClasses();
  ClearMessageQueue();
  Current() = MakeHeadlessDisplay();
  SetSleepRecording(true);
}

}  // namespace winapi
