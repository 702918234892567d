// The X error that SDL 2.26 can provoke with a wake-up sent to a window it has just
// destroyed must not end the program, neither while the display is open nor while SDL
// shuts it down; every other X error still ends it as Xlib's default handler does.
// Runs in an X server of its own (xvfb-run).
#include <gtest/gtest.h>

#include <string>

#include "layer/user_layer.h"
#include "x11_requests.h"

namespace {

void OpenDisplay() {
  std::string error;
  ASSERT_TRUE(winapi::OpenDisplay(error)) << error;
}

void SendStaleWakeup() { ASSERT_TRUE(x11_requests::SendEventToDestroyedWindow()) << "no X server"; }

}  // namespace

// Without the handler, Xlib's default one ends this test binary with exit code 1.
TEST(X11Errors, StaleWakeupIsIgnoredWhileOpenAndAfterShutdown) {
  OpenDisplay();
  SendStaleWakeup();
  winapi::CloseDisplay();
  SendStaleWakeup();
  // Opening the display again keeps it so.
  OpenDisplay();
  SendStaleWakeup();
  winapi::CloseDisplay();
  SendStaleWakeup();
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
