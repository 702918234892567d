// Text conversions between the game's code page 932 and what SDL and resources hold.
#pragma once

#include <string>

namespace winapi {

// Resource texts are UTF-16; the layer draws in code page 932 like the game does.
std::string Cp932FromUtf16(const std::u16string& text);

// SDL wants UTF-8 for window titles.
std::string Utf8FromCp932(const std::string& text);

// Whether byte c starts a double-byte character in code page 932.
constexpr bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace winapi
