// Code page 932: conversions, character lengths and mnemonic markers.
#include "kernel/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(Cp932, DecodesToUtf8AndReplacesEachBadCharacterOnce) {
  EXPECT_EQ(winapi::Utf8FromCp932("\x8D\x95\x82\xCC\x94\xD4\x82\xC5\x82\xB7"), Utf8(u8"黒の番です"));
  EXPECT_EQ(winapi::Utf8FromCp932("\x81\x9C \x81\x9B"), Utf8(u8"● ○"));
  // Trail bytes 0x5C are part of their character, not a backslash.
  EXPECT_EQ(winapi::Utf8FromCp932("\x83\x5C\x95\x5C\\"), Utf8(u8"ソ表\\"));
  EXPECT_EQ(winapi::Utf8FromCp932("a\xA0z"), Utf8(u8"a\uFFFDz")) << "0xA0 has no character";
  EXPECT_EQ(winapi::Utf8FromCp932("a\x81"), Utf8(u8"a\uFFFD")) << "a lead byte cut off at the end";
  EXPECT_EQ(winapi::Utf8FromCp932("\x81\n&X"), Utf8(u8"\uFFFD\n&X")) << "a lead byte before a byte that cannot follow it";
  EXPECT_EQ(winapi::Utf8FromCp932("\x85\x40\x82\xA0"), Utf8(u8"\uFFFDあ")) << "an unassigned pair";
  // Longer than any one buffer of the conversion.
  std::string many, expected;
  for (int i = 0; i < 300; ++i) many += "\x82\xA0\xFF", expected += Utf8(u8"あ\uFFFD");
  EXPECT_EQ(winapi::Utf8FromCp932(many), expected);
}

TEST(Cp932, EncodesUtf16WithTheDefaultCharacterForWhatItLacks) {
  EXPECT_EQ(winapi::Cp932FromUtf16(u"表示(&V)"), "\x95\x5C\x8E\xA6(&V)");
  EXPECT_EQ(winapi::Cp932FromUtf16(u"\u00E9!"), "?!");
  // Each half of a pair outside the code page, and a lone half, as Windows does.
  EXPECT_EQ(winapi::Cp932FromUtf16(u"a\U0001F600b"), "a??b");
  EXPECT_EQ(winapi::Cp932FromUtf16(std::u16string(u"x\xD800y")), "x?y");
  EXPECT_EQ(winapi::Cp932FromUtf16(std::u16string(u"x\xD800")), "x?");
}

TEST(Cp932, ParsesMnemonicMarkersACharacterAtATime) {
  winapi::MnemonicLabel label = winapi::ParseMnemonic("終了(&X)");
  EXPECT_EQ(label.text, "終了(X)");
  EXPECT_EQ(label.markedByte, 5);
  label = winapi::ParseMnemonic("A&&B&");
  EXPECT_EQ(label.text, "A&B") << "a doubled marker is a plain '&', a last one is dropped";
  EXPECT_EQ(label.markedByte, -1);
  label = winapi::ParseMnemonic("&&&a&b");
  EXPECT_EQ(label.text, "&ab");
  EXPECT_EQ(label.markedByte, 1) << "the first marker counts";
  // ア is 0x83 0x41: its trail byte is no letter of its own, and the mark covers both bytes.
  label = winapi::ParseMnemonic("\x95\x5C&\x83\x41");
  EXPECT_EQ(label.text, "\x95\x5C\x83\x41");
  EXPECT_EQ(label.markedByte, 2);
  EXPECT_EQ(winapi::Cp932CharLength(label.text, 2), 2u);
  // A lead byte without its trail byte does not swallow the marker after it.
  label = winapi::ParseMnemonic("\x81&N");
  EXPECT_EQ(label.text, "\x81N");
  EXPECT_EQ(label.markedByte, 1);
}

}  // namespace
