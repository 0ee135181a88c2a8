#include "textio/NumberForms.h"
#include "textio/PolishPlural.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

namespace {

struct FixedCase {
  long double value;
  int width, decimals;
  const char* text;
};

TEST(NumberForms, FixedRoundsExactlyAndNeverCuts) {
  const FixedCase cases[] = {
      {123.4567L, 13, 4, "     123.4567"},
      {-0.0123L, 10, 4, "   -0.0123"},
      {0.0L, 10, 4, "    0.0000"},
      {5567187.63L, 13, 4, " 5567187.6300"},
      {12345678901.5L, 5, 2, "12345678901.50"},         // wider than its field: widened
      {static_cast<long double>(0.995), 0, 2, "0.99"},  // 0.99499999... in binary
      {0.995L, 0, 2, "1.00"},                           // 0.99500000...01 in 80 bits
      {0.125L, 0, 2, "0.12"},                           // an exact tie rounds to even
      {0.375L, 0, 2, "0.38"},
      {2.5L, 3, 0, "  2"},
      {-0.00001L, 8, 4, " -0.0000"},
      {0.0049L, 10, 3, "     0.005"},
      {999.99995L, 10, 4, " 1000.0000"},
  };
  for (const FixedCase& c : cases) {
    EXPECT_EQ(textio::Fixed(c.value, c.width, c.decimals), c.text) << c.width << ":" << c.decimals;
  }
}

TEST(NumberForms, FixedMatchesPrintfOnRandomValues) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<long double> magnitude(-8, 8);
  char expected[128];
  for (int i = 0; i < 20000; ++i) {
    const long double v = std::pow(10.0L, magnitude(random)) * (i % 2 ? -1 : 1);
    const int decimals = i % 6;
    // printf is used in the C locale's terms: its decimal separator is swapped back.
    std::snprintf(expected, sizeof expected, "%*.*Lf", 13, decimals, v);
    for (char* p = expected; *p; ++p) {
      if (*p == ',') *p = '.';
    }
    ASSERT_EQ(textio::Fixed(v, 13, decimals), expected);
  }
}

TEST(NumberForms, IntegerAndText) {
  std::string line;
  textio::AppendInteger(line, 36);
  textio::AppendInteger(line, -7, 4);
  textio::AppendRight(line, "PD-1", 6);
  textio::AppendRight(line, "LONGER", 3);
  EXPECT_EQ(line, "36  -7  PD-1LONGER");
}

TEST(NumberForms, ScientificHas23Characters) {
  const std::pair<long double, const char*> cases[] = {
      {1.5L, " 1.50000000000000E+0000"},
      {0.0L, " 0.00000000000000E+0000"},
      {-2.5e-7L, "-2.50000000000000E-0007"},
      {1449.1418002888L, " 1.44914180028880E+0003"},
      {9.9999999999999999L, " 1.00000000000000E+0001"},
      {1e100L, " 1.00000000000000E+0100"},
      {6.90079267105149e-4L, " 6.90079267105149E-0004"},
      {1e-4000L, " 1.00000000000000E-4000"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(textio::Scientific(value), text);
    EXPECT_EQ(std::string(text).size(), 23u);
  }
}

TEST(NumberForms, GeneralIsShortestUpTo15Digits) {
  const std::pair<long double, const char*> cases[] = {
      {0.0L, "0"},
      {1.5L, "1.5"},
      {-2.5L, "-2.5"},
      {100.0L, "100"},
      {1.0L / 3, "0.333333333333333"},
      {123456789012345.0L, "123456789012345"},
      {1234567890123456.0L, "1.23456789012346E15"},
      {0.00001L, "0.00001"},
      {0.000001L, "1E-6"},
      {0.0000015L, "1.5E-6"},
      {5567187.63L, "5567187.63"},
      {0.1L + 0.2L, "0.3"},
  };
  for (const auto& [value, text] : cases)
    EXPECT_EQ(textio::General(value), text);
}

}  // namespace

namespace {

// Polish plurals, by the grammar's rule worked for each count: 1 para; 2-4 pary, but 12-14
// par; 22-24 pary again; 0, 5-21, 25-31 and 100 par.
TEST(PolishPlural, TheFormOfEachCount) {
  const std::pair<std::int64_t, std::string_view> cases[] = {
      {0, "par"},   {1, "para"},  {2, "pary"},   {4, "pary"},  {5, "par"},     {11, "par"},
      {12, "par"},  {14, "par"},  {21, "par"},   {22, "pary"}, {24, "pary"},   {25, "par"},
      {100, "par"}, {101, "par"}, {102, "pary"}, {112, "par"}, {1004, "pary"}, {-3, "pary"}};
  for (const auto& [n, form] : cases)
    EXPECT_EQ(textio::PluralForm(n, "para", "pary", "par"), form) << n;
}

}  // namespace
