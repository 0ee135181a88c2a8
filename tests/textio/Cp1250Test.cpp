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

// Control characters of a damaged file are written out before a text reaches a box, a
// terminal or a log; line feeds, tabs and Polish letters stay.
TEST(Printable, ControlCharactersAreWrittenOut) {
  const std::pair<std::string, std::string> cases[] = {
      {"zwykły tekst\n\tdalej", "zwykły tekst\n\tdalej"},
      {"a\x1b[31mb", "a\\x1B[31mb"},  // a terminal's colour escape
      {std::string("x\0y", 3), "x\\x00y"},
      {"\r\x07\x7f", "\\x0D\\x07\\x7F"},
      {"c1 \xc2\x9b!", "c1 \\x9B!"},  // CSI as a C1 character
      {"ż\xc2\xa0", "ż\xc2\xa0"},     // a no-break space is no control
      {"", ""},
  };
  for (const auto& [text, shown] : cases)
    EXPECT_EQ(textio::Printable(text), shown);
}

}  // namespace
