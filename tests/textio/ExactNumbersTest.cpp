// The number forms and number reading agree byte for byte with the C library (in the C
// locale) on many values: random magnitudes, exact ties at the last decimal, carries such
// as 0.995, negatives, values that round to zero, values wider than their field.
// ZORNAK_NUMBER_VALUES sets how many values each case draws (CI uses the default).
#include <gtest/gtest.h>

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "textio/NumberForms.h"
#include "textio/NumberReading.h"

namespace {

int Count() {
  const char* text = std::getenv("ZORNAK_NUMBER_VALUES");
  return text ? std::atoi(text) : 100000;
}

// printf in the C locale for this thread only (on Windows, whose C library has no
// uselocale, for the process while the test runs).
#ifdef _WIN32
class CLocale {
 public:
  CLocale() : previous_(std::setlocale(LC_ALL, nullptr)) { std::setlocale(LC_ALL, "C"); }
  ~CLocale() { std::setlocale(LC_ALL, previous_.c_str()); }

 private:
  std::string previous_;
};
#else
class CLocale {
 public:
  CLocale() : c_(newlocale(LC_ALL_MASK, "C", nullptr)), previous_(uselocale(c_)) {}
  ~CLocale() {
    uselocale(previous_);
    freelocale(c_);
  }

 private:
  locale_t c_, previous_;
};
#endif

std::string Printf(const char* format, int width, int decimals, long double v) {
  char text[6000];
  std::snprintf(text, sizeof text, format, width, decimals, v);
  return text;
}

// The 23-character form from printf's %.14Le.
std::string PrintfScientific(long double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.14Le", v);
  std::string s = text;
  const std::size_t e = s.find('e');
  const int exponent = std::atoi(s.c_str() + e + 1);
  char tail[16];
  std::snprintf(tail, sizeof tail, "E%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
  std::string mantissa = s.substr(0, e);
  if (mantissa[0] != '-') mantissa = " " + mantissa;
  return mantissa + tail;
}

class ExactNumbers : public testing::Test {
 protected:
  void ExpectFixed(long double v) {
    for (int decimals : {0, 2, 3, 4}) {
      const std::string expected = Printf("%*.*Lf", 13, decimals, v);
      ASSERT_EQ(textio::Fixed(v, 13, decimals), expected) << std::hexfloat << v << " " << decimals;
    }
  }
  std::mt19937_64 random{20261207};
  CLocale c;
};

TEST_F(ExactNumbers, FixedOnRandomMagnitudes) {
  std::uniform_real_distribution<long double> magnitude(-12, 21);
  for (int i = 0; i < Count(); ++i) {
    const long double v = std::pow(10.0L, magnitude(random));
    ExpectFixed(i % 2 ? -v : v);
  }
}

TEST_F(ExactNumbers, FixedOnCoordinatesTiesAndCarries) {
  std::uniform_int_distribution<std::int64_t> cents(0, 900000000000LL);
  std::uniform_int_distribution<std::int64_t> odd(0, 1LL << 40);
  for (int i = 0; i < Count(); ++i) {
    const long double coordinate = cents(random) / 1000.0L;  // like 5567000.123
    ExpectFixed(coordinate);
    for (int d : {0, 2, 3, 4}) {  // exact ties: odd multiples of 2^-(d+1)
      const long double tie = (2 * odd(random) + 1) / std::ldexp(1.0L, d + 1);
      const std::string expected = Printf("%*.*Lf", 13, d, tie);
      ASSERT_EQ(textio::Fixed(tie, 13, d), expected) << std::hexfloat << tie;
    }
  }
  for (long double v : {0.995L, 0.9949999999L, 9.9999L, 99.995L, 999999.999999L, 0.0L, -0.0L,
                        -0.001L, 0.004999L, 1e-30L, -1e-30L, 1e25L, 18446744073709551615.0L,
                        9223372036854775808.0L, 5e-5L, 1.5L, 2.5L}) {
    ExpectFixed(v);
  }
}

TEST_F(ExactNumbers, ScientificOnRandomMagnitudes) {
  std::uniform_real_distribution<long double> magnitude(-30, 30);
  for (int i = 0; i < Count(); ++i) {
    const long double v = std::pow(10.0L, magnitude(random)) * (i % 3 ? 1 : -1);
    ASSERT_EQ(textio::Scientific(v), PrintfScientific(v)) << std::hexfloat << v;
  }
  for (long double v : {1.5L, 9.999999999999995L, 9.9999999999999949L, 1e15L, 999999999999999.5L,
                        1e-5L, 5567000.123L, 0.1L, 1e18L, 1.8e19L}) {
    ASSERT_EQ(textio::Scientific(v), PrintfScientific(v)) << std::hexfloat << v;
  }
}

TEST_F(ExactNumbers, ReadingMatchesStrtold) {
  std::uniform_int_distribution<std::uint64_t> digits(0, 9999999999999999999ULL);
  std::uniform_int_distribution<int> point(0, 20), exponent(-40, 40), shape(0, 3);
  for (int i = 0; i < Count(); ++i) {
    std::string text = std::to_string(digits(random) >> (random() % 64));
    const int at = point(random);
    if (at < static_cast<int>(text.size())) text.insert(text.size() - at, ".");
    if (shape(random) == 0) text += "e" + std::to_string(exponent(random));
    if (shape(random) == 1) text = "-" + text;
    long double parsed = 0;
    ASSERT_TRUE(textio::ParseNumber(text, parsed)) << text;
    const long double expected = std::strtold(text.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&parsed, &expected, 10), 0) << text;
  }
}

}  // namespace
