// The main window's client area at the opening, as the game draws it, against a
// checked-in picture. Rewrite the picture on purpose with TARVEL_UPDATE_GOLDEN=1.
#include <gtest/gtest.h>
#include <windows.h>

#include "app_testing.h"
#include "png_image.h"

namespace {

TEST(OpeningPicture, TheMainWindowMatchesTheGolden) {
  winapi::UseHeadlessDisplay();
  ASSERT_TRUE(RegisterMainClass(apptest::Instance()));
  ASSERT_TRUE(CreateMainWindow(apptest::Instance(), SW_SHOWDEFAULT));
  winapi::PumpMessages();
  const winapi::Surface shown = winapi::WindowPixels(winapi::FindWindowOfClass("nTarvel"));
  EXPECT_EQ(CompareWithGolden(shown, TARVEL_GOLDEN_DIR "/opening.png"), "");
  winapi::UseHeadlessDisplay();
}

}  // namespace
