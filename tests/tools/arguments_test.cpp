// The engine tool's numbers and how it shows what it refused.
#include <gtest/gtest.h>

#include "arguments.h"

TEST(Arguments, CountsAreWholeDecimalTokensWithinTheirRange) {
  EXPECT_EQ(ParseCount("1", 1, 600), 1);
  EXPECT_EQ(ParseCount("600", 1, 600), 600);
  EXPECT_EQ(ParseCount("007", 1, 600), 7);
  for (const char* bad : {"", "0", "601", "5x", "x5", " 5", "5 ", "+5", "-5", "5.0", "1e2", "0x10", "99999999999",
                          "99999999999999999999999"})
    EXPECT_FALSE(ParseCount(bad, 1, 600)) << bad;
  EXPECT_EQ(ParseCount(std::string_view("12\0" "3", 4), 1, 600), std::nullopt) << "a NUL ends nothing";
}

TEST(Arguments, RefusedTokensAreShownEscapedAndCut) {
  EXPECT_EQ(Shown("5x"), "5x");
  EXPECT_EQ(Shown("a\x1b[2Jb\x07\\\n\xff"), "a\\x1b[2Jb\\x07\\\\\\x0a\\xff");
  const std::string huge(50'000'000, 'x');
  EXPECT_EQ(Shown(huge), std::string(kShownBytes, 'x') + "... (50000000 bytes)");
  // The cut may fall inside an escape sequence; what is kept is still escaped.
  EXPECT_EQ(Shown(std::string(kShownBytes - 1, 'x') + "\x1b[31m").substr(kShownBytes - 1), "\\x1b... (44 bytes)");
}
