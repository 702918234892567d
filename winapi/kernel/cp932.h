// Code page 932, the ANSI code page of a Japanese Windows, in which the program keeps
// every text: its characters, conversions to what SDL and the resources hold, and the '&'
// markers of menu and button labels. KERNEL32 owns code pages on Windows too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace winapi {

// Whether byte c starts a double-byte character.
constexpr bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
constexpr bool IsCp932TrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes taken by the character at text[i]: two for a lead byte with a trail byte after it,
// else one. A lead byte without its trail byte is a character of its own, so a line feed
// or '&' after it keeps its meaning.
std::size_t Cp932CharLength(std::string_view text, std::size_t i);

// For SDL and the font. Each character (see Cp932CharLength) without a Unicode form (a
// stray byte, a lead byte without its trail byte, an unassigned pair) becomes one U+FFFD,
// and the rest of the text stays readable.
std::string Utf8FromCp932(std::string_view cp932);

// For the resource texts. A character without a form in code page 932, or a lone
// surrogate, becomes '?', the default character Windows puts there.
std::string Cp932FromUtf16(std::u16string_view utf16);

// A label without its markers: "&&" is a plain '&', "&x" marks x (the first such marker
// counts), a lone '&' at the end is dropped.
struct MnemonicLabel {
  std::string text;
  int markedByte = -1;  // where the marked character starts in text, or -1
};
MnemonicLabel ParseMnemonic(std::string_view cp932);

}  // namespace winapi
