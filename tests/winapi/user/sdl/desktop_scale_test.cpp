// The desktop's scale as read from X resources and GDK_SCALE.
#include "user/sdl/desktop_scale.h"

#include <gtest/gtest.h>

#include <string>

namespace winapi {
namespace {

TEST(DesktopScale, XftDpiFirstThenGdkScaleThenOne) {
  // What xrdb leaves on the root window: tab-separated, among other resources.
  EXPECT_EQ(ChooseDesktopScale("Xcursor.size:\t24\nXft.dpi:\t192\nXft.hinting:\t1\n", nullptr), 2.0);
  EXPECT_EQ(ChooseDesktopScale("Xft.dpi: 144", "3"), 1.5) << "Xft.dpi wins over GDK_SCALE";
  EXPECT_EQ(ChooseDesktopScale("Xft.dpi:\t96\n", "2"), 1.0) << "a desktop at 96 dpi says 1 even with GDK_SCALE";
  EXPECT_EQ(ChooseDesktopScale("Xcursor.size:\t24\n", "2"), 2.0);
  EXPECT_EQ(ChooseDesktopScale(std::nullopt, "2"), 2.0);
  EXPECT_EQ(ChooseDesktopScale(std::nullopt, nullptr), 1.0);
  // Another resource whose name only starts like it is not Xft.dpi.
  EXPECT_EQ(ChooseDesktopScale("Xft.dpiX:\t192\nXft.dpi.extra:\t192\n", nullptr), 1.0);
  // xrdb -merge appends: the last value is the one in force.
  EXPECT_EQ(ChooseDesktopScale("Xft.dpi:\t96\nXft.dpi:\t192\n", nullptr), 2.0);
}

TEST(DesktopScale, UnusableValuesFallThrough) {
  for (const char* dpi : {"", "abc", "-192", "0", "192dpi", "nan", "inf", "1e999"}) {
    const std::string resources = std::string("Xft.dpi:\t") + dpi + "\n";
    EXPECT_EQ(ChooseDesktopScale(resources, "2"), 2.0) << "Xft.dpi '" << dpi << "' should leave it to GDK_SCALE";
    EXPECT_EQ(ChooseDesktopScale(std::nullopt, dpi), 1.0) << "GDK_SCALE '" << dpi << "'";
  }
}

TEST(DesktopScale, QuarterStepsBetweenOneAndFour) {
  EXPECT_EQ(ChooseDesktopScale("Xft.dpi: 120", nullptr), 1.25);
  EXPECT_EQ(ChooseDesktopScale("Xft.dpi: 100", nullptr), 1.0) << "4 % more would only blur";
  EXPECT_EQ(ChooseDesktopScale("Xft.dpi: 72", nullptr), 1.0) << "never shrunk";
  EXPECT_EQ(ChooseDesktopScale("Xft.dpi: 9600", nullptr), 4.0);
  EXPECT_EQ(ChooseDesktopScale(std::nullopt, "1.5"), 1.5);
}

TEST(DesktopScale, WindowPixelsFallOnTheProgramPixelUnderThem) {
  EXPECT_EQ(ScaleDown(1301, 2.0), 650);
  EXPECT_EQ(ScaleDown(4, 1.5), 2) << "rounded instead of the pixel under it";
  EXPECT_EQ(ScaleDown(-1, 2.0), -1) << "left of the window must stay left of it";
  EXPECT_EQ(ScaleUp(651, 1.5), 977);
}

}  // namespace
}  // namespace winapi
