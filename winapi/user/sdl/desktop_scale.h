// The desktop's scale, as a program that does not declare DPI awareness gets it on
// Windows: the system shows its windows bigger while the program keeps drawing and
// reading the mouse in its own unscaled units.
#pragma once

#include <optional>
#include <string_view>

namespace winapi {

// The scale from the root window's resources (Xft.dpi / 96) when they name a usable
// one, else from GDK_SCALE, else 1. Fractional values are kept, rounded to the quarter
// steps Windows offers (125 %, 150 % ...): a 100 dpi desktop stays at 1 rather than
// blurring everything by 4 %. Scales below 1 count as 1 (a window is never shrunk),
// above 4 as 4.
double ChooseDesktopScale(std::optional<std::string_view> resources, const char* gdkScale);

// Whole scales show each pixel as an exact square; others are filtered.
bool IsWholeScale(double scale);

// A length in window pixels for one in the program's units.
int ScaleUp(int length, double scale);
// The program's pixel under a window pixel.
int ScaleDown(int coordinate, double scale);

}  // namespace winapi
