// The exact slow paths of reading and writing numbers, on the values where a shortcut
// would go wrong: ties at the last bit, digits past the deciding ones, the ends of the
// 80-bit range. Every expected bit pattern and text was worked out with exact rational
// arithmetic (Python's fractions and decimal), not with a C library, so the same table
// holds on every platform.
#include "textio/BigDecimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "textio/NumberForms.h"
#include "textio/NumberReading.h"

namespace {

// Sign and exponent, then the significand: "3fff8000000000000000" is 1.
long double FromBits(const std::string& hex) {
  const std::uint16_t signExponent =
      static_cast<std::uint16_t>(std::stoul(hex.substr(0, 4), nullptr, 16));
  const std::uint64_t significand = std::stoull(hex.substr(4), nullptr, 16);
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &significand, 8);
  std::memcpy(bytes + 8, &signExponent, 2);
  long double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

std::string Bits(long double value) {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &value, sizeof value);
  std::string hex;
  const char* digits = "0123456789abcdef";
  for (int i = 9; i >= 0; --i) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 15];
  }
  return hex;
}

const std::string kOutOfRange = "out of range";

TEST(BigDecimal, ReadsTheNearest80BitReal) {
  const std::string pastATie = "18446744073709551617." + std::string(13000, '0') + "1";
  const struct {
    std::string token, bits;
  } cases[] = {
      {"16e36", "407ac097ce7bc90715b3"},  // MinGW's library reads it through double
      {"1e-30", "3f9ba2425ff75e14fc32"},
      {"123456789012345678901234567890e-10", "403eab54a98ceb1f0ad2"},
      {"10000000000000000000000000000000000000000e-40", "3fff8000000000000000"},
      {"18446744073709551617", "403f8000000000000000"},  // 2^64+1: a tie, down to even
      {"18446744073709551619", "403f8000000000000002"},  // 2^64+3: a tie, up to even
      {"-18446744073709551619", "c03f8000000000000002"},
      {pastATie, "403f8000000000000001"},                        // the nonzero rest decides
      {"1.18973149535723176502e+4932", "7ffeffffffffffffffff"},  // the largest
      {"1.18973149535723176509e+4932", kOutOfRange},
      {"1.2e4932", kOutOfRange},
      {"3.36210314311209350626e-4932", "00018000000000000000"},  // rounds up to normal
      {"3.64519953188247460253e-4951", kOutOfRange},             // subnormal and inexact
      {"1e-99999", kOutOfRange},
      {"1e99999", kOutOfRange},
      {"0.0000e99999", "00000000000000000000"},
      {"-0", "80000000000000000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.token.substr(0, 40));
    long double value = 0;
    const bool read = textio::NearestToDecimal(c.token, value);
    EXPECT_EQ(read ? Bits(value) : kOutOfRange, c.bits);
    long double parsed = 0;  // the reader of the files takes the same path
    const bool parsedOk = textio::ParseNumber(c.token, parsed);
    EXPECT_EQ(parsedOk ? Bits(parsed) : kOutOfRange, c.bits);
  }
}

TEST(BigDecimal, FixedFormRoundsTheExactValueHalfToEven) {
  const struct {
    std::string bits;
    int decimals;
    std::string text;
  } cases[] = {
      {"3ffbcccccccccccccccd", 30, "0.100000000000000000001355252716"},  // 0.1L
      {"bffbcccccccccccccccd", 2, "-0.10"},
      {"3ffc8000000000000000", 2, "0.12"},  // 0.125: a tie, down to even
      {"3ffdc000000000000000", 2, "0.38"},  // 0.375: a tie, up to even
      {"3ff98000000000000000", 3, "0.016"},
      {"bff78000000000000000", 2, "-0.00"},  // the sign stays, as printf keeps it
      {"00000000000000000001", 4, "0.0000"},
      {"403f8000000000000000", 3, "18446744073709551616.000"},
      {"7fff8000000000000000", 2, "inf"},
      {"ffff8000000000000000", 2, "-inf"},
      {"7fffc000000000000000", 2, "nan"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    EXPECT_EQ(textio::FixedText(FromBits(c.bits), c.decimals), c.text);
    EXPECT_EQ(textio::Fixed(FromBits(c.bits), 0, c.decimals), c.text);
  }
  const std::string largest = textio::FixedText(FromBits("7ffeffffffffffffffff"), 0);
  EXPECT_EQ(largest.size(), 4933u);
  EXPECT_EQ(largest.substr(0, 30), "118973149535723176502126385303");
  EXPECT_EQ(largest.substr(4903), "444156604419552086811989770240");
}

TEST(BigDecimal, FifteenSignificantDigits) {
  const struct {
    std::string bits, digits;
    int exponent;
  } cases[] = {
      {"7ffeffffffffffffffff", "118973149535723", 4932},
      {"403f8000000000000000", "184467440737096", 19},
      {"00000000000000000001", "364519953188247", -4951},
      {"4030e35fa9319fffe000", "100000000000000", 15},  // 999999999999999.5 carries
      {"00000000000000000000", "000000000000000", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    std::string digits;
    int exponent = 0;
    textio::SignificantDigits(FromBits(c.bits), 15, digits, exponent);
    EXPECT_EQ(digits, c.digits);
    EXPECT_EQ(exponent, c.exponent);
  }
  EXPECT_EQ(textio::Scientific(FromBits("00000000000000000001")), " 3.64519953188247E-4951");
}

}  // namespace
