// The X error that SDL 2.26 can provoke with a wake-up sent to a window it has just
// destroyed must not end the program, neither while the display is open nor while SDL
// shuts it down; every other X error still ends it as Xlib's default handler does.
// Runs in an X server of its own (tests/support/xsession.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "backend.h"
#include "user/sdl/sdl_display.h"
#include "x11_requests.h"

namespace {

void OpenDisplay() {
  std::string error;
  std::unique_ptr<winapi::Display> display = winapi::OpenSdlDisplay(error);
  ASSERT_TRUE(display) << error;
  winapi::UseDisplay(std::move(display));
}

void SendStaleWakeup(int step) {
  const char* display = std::getenv("DISPLAY");
  ASSERT_TRUE(x11_requests::SendEventToDestroyedWindow())
      << "step " << step << ": no X server at " << (display ? display : "(DISPLAY unset)");
}

}  // namespace

// Without the handler, Xlib's default one ends this test binary with exit code 1.
TEST(X11Errors, StaleWakeupIsIgnoredWhileOpenAndAfterShutdown) {
  OpenDisplay();
  SendStaleWakeup(1);
  winapi::CloseDisplay();
  SendStaleWakeup(2);
  // Opening the display again keeps it so.
  OpenDisplay();
  SendStaleWakeup(3);
  winapi::CloseDisplay();
  SendStaleWakeup(4);
}

TEST(X11ErrorsDeathTest, OtherErrorsStillEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        OpenDisplay();
        x11_requests::MapDestroyedWindow();
      },
      testing::ExitedWithCode(1), "BadWindow");
}
