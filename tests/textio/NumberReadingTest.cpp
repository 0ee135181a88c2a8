#include "textio/NumberReading.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberReading, ParsesTheMappingSystemsForms) {
  const std::pair<const char*, long double> good[] = {
      {"12.5", 12.5L}, {"-3e2", -300.0L}, {"+4", 4.0L},  {".5", 0.5L},
      {"5.", 5.0L},    {"1E-3", 0.001L},  {"007", 7.0L}, {"5567187.63", 5567187.63L},
      {"-0", -0.0L},   {"1e+2", 100.0L},
  };
  for (const auto& [text, value] : good) {
    long double parsed = -1;
    EXPECT_TRUE(textio::ParseNumber(text, parsed)) << text;
    EXPECT_EQ(parsed, value) << text;
  }
  for (const char* bad : {"", "1,5", "abc", "1e", "e5", ".", "-", "1.2.3", "1e99999", "inf", "nan",
                          "0x10", "12a", "--1"}) {
    long double parsed = -1;
    EXPECT_FALSE(textio::ParseNumber(bad, parsed)) << bad;
    EXPECT_EQ(parsed, -1) << bad;
  }
}

TEST(NumberReading, ReadsSuccessiveNumbersAcrossBlanksTabsAndControls) {
  const std::string text = "  1.5\t\t-2.5 \r 3e1\x01x";
  std::size_t pos = 0;
  long double v = 0;
  ASSERT_TRUE(textio::ReadNumber(text, pos, v));
  EXPECT_EQ(v, 1.5L);
  ASSERT_TRUE(textio::ReadNumber(text, pos, v));
  EXPECT_EQ(v, -2.5L);
  ASSERT_TRUE(textio::ReadNumber(text, pos, v));
  EXPECT_EQ(v, 30.0L);
  EXPECT_FALSE(textio::ReadNumber(text, pos, v));  // "x"
  EXPECT_FALSE(textio::ReadNumber(text, pos, v));  // nothing left
  EXPECT_EQ(pos, text.size());
}

}  // namespace
