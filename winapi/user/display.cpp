// Which display windows appear on: the one that whoever starts the process plugs in.
#include <memory>

#include "backend.h"
#include "user/window.h"

namespace winapi {
namespace {

std::unique_ptr<Display>& Current() {
  static std::unique_ptr<Display> display;
  return display;
}

}  // namespace

void UseDisplay(std::unique_ptr<Display> display) { Current() = std::move(display); }

Display* CurrentDisplay() { return Current().get(); }

void CloseDisplay() {
  DestroyAllWindows();
  ForgetAllClasses();
  ClearMessageQueue();
  Current().reset();
}

}  // namespace winapi
