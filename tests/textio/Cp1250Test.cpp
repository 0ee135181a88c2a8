#include "textio/Cp1250.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1250, PolishLettersRoundTrip) {
  const std::string utf8 = "Błąd ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ";
  const std::string bytes = textio::Utf8ToCp1250(utf8);
  EXPECT_EQ(bytes,
            "B\xb3\xb9"
            "d \xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf \xa5\xc6\xca\xa3\xd1\xd3\x8c\x8f\xaf");
  EXPECT_EQ(textio::Cp1250ToUtf8(bytes), utf8);
}

TEST(Cp1250, UnmappableAndBrokenInputBecomesQuestionMark) {
  EXPECT_EQ(textio::Utf8ToCp1250("a\xe4\xb8\xad"
                                 "b"),
            "a?b");                                // a CJK character
  EXPECT_EQ(textio::Utf8ToCp1250("a\xc5"), "a?");  // cut sequence
  EXPECT_EQ(textio::Utf8ToCp1250("\xff"), "?");
  EXPECT_EQ(textio::Cp1250ToUtf8("\x81"), "?");  // a byte with no character
}

}  // namespace
