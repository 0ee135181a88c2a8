#include "textio/NumberForms.h"

#include "textio/BigDecimal.h"
#include "textio/ExactDecimal.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace textio {
namespace {

void Pad(std::string& line, std::size_t length, int width) {
  if (width > 0 && length < static_cast<std::size_t>(width)) line.append(width - length, ' ');
}

// Significant digits and decimal exponent of |value| rounded to 15 digits:
// |value| = d.dddddddddddddd * 10^exponent.
struct Decimal15 {
  std::array<char, 15> digits;
  int exponent;
};

Decimal15 RoundTo15Digits(long double value) {
  std::uint64_t fast;
  int fastExponent;
  if (FifteenDigits(value, fast, fastExponent)) {
    Decimal15 d{};
    for (int i = 14; i >= 0; --i, fast /= 10)
      d.digits[i] = static_cast<char>('0' + fast % 10);
    d.exponent = fastExponent;
    return d;
  }
  std::string digits;
  Decimal15 d{};
  SignificantDigits(value, 15, digits, d.exponent);
  std::copy(digits.begin(), digits.end(), d.digits.begin());
  return d;
}

// Writes `scaled` as digits with `decimals` of them after the point (at least one before).
void AppendScaled(std::string& line, std::uint64_t scaled, bool negative, int width, int decimals) {
  std::array<char, 24> digits;
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), scaled).ptr;
  const int count = static_cast<int>(end - digits.data());
  const int whole = count > decimals ? count - decimals : 1;
  // Leading zeros, so that one digit stands before the point and `decimals` after it.
  const int zeros = count > decimals ? 0 : decimals + 1 - count;
  const int length = (negative ? 1 : 0) + whole + (decimals > 0 ? 1 + decimals : 0);
  Pad(line, static_cast<std::size_t>(length), width);
  if (negative) line += '-';
  std::array<char, 48> text;
  int n = 0;
  for (int i = 0; i < zeros; ++i)
    text[n++] = '0';
  for (int i = 0; i < count; ++i)
    text[n++] = digits[i];
  line.append(text.data(), whole);
  if (decimals > 0) {
    line += '.';
    line.append(text.data() + whole, decimals);
  }
}

// Outside the integer range the digits come from exact big-integer arithmetic, which for
// values of thousands of digits takes a while; such values usually repeat (report lines
// written for many records, a pair at a time), so the last few are kept. Kept apart from
// AppendFixed so that the common case stays small.
[[gnu::noinline]] void AppendFixedExactly(std::string& line, long double value, int width,
                                          int decimals) {
  struct Remembered {
    long double value = 0;
    int decimals = -1;
    std::string text;
  };
  thread_local std::array<Remembered, 4> remembered;
  thread_local std::size_t next = 0;
  for (const Remembered& r : remembered) {
    if (r.decimals == decimals && std::memcmp(&r.value, &value, 10) == 0) {
      Pad(line, r.text.size(), width);
      line.append(r.text);
      return;
    }
  }
  Remembered& r = remembered[next++ % remembered.size()];
  r.text = FixedText(value, decimals);
  r.value = value;
  r.decimals = decimals;
  Pad(line, r.text.size(), width);
  line.append(r.text);
}

}  // namespace

void AppendFixed(std::string& line, long double value, int width, int decimals) {
  std::uint64_t scaled;
  bool negative;
  if (ScaledInteger(value, decimals, scaled, negative)) {
    AppendScaled(line, scaled, negative, width, decimals);
  } else {
    AppendFixedExactly(line, value, width, decimals);
  }
}

void AppendInteger(std::string& line, std::int64_t value, int width) {
  std::array<char, 24> text;
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  const std::size_t length = static_cast<std::size_t>(result.ptr - text.data());
  Pad(line, length, width);
  line.append(text.data(), length);
}

void AppendScientific(std::string& line, long double value) {
  if (!std::isfinite(value)) {
    const std::string_view text = std::isnan(value) ? "Nan" : value > 0 ? "+Inf" : "-Inf";
    AppendRight(line, text, 23);
    return;
  }
  const Decimal15 d = RoundTo15Digits(value);
  line += std::signbit(value) && value != 0 ? '-' : ' ';
  line += d.digits[0];
  line += '.';
  line.append(d.digits.data() + 1, 14);
  line += 'E';
  line += d.exponent < 0 ? '-' : '+';
  std::array<char, 8> exponent;
  const auto result = std::to_chars(exponent.data(), exponent.data() + exponent.size(),
                                    d.exponent < 0 ? -d.exponent : d.exponent);
  const std::size_t length = static_cast<std::size_t>(result.ptr - exponent.data());
  if (length < 4) line.append(4 - length, '0');
  line.append(exponent.data(), length);
}

void AppendGeneral(std::string& line, long double value) {
  if (value == 0) {
    line += '0';
    return;
  }
  if (!std::isfinite(value)) {
    line += std::isnan(value) ? "Nan" : value > 0 ? "Inf" : "-Inf";
    return;
  }
  const Decimal15 d = RoundTo15Digits(value);
  int significant = 15;
  while (significant > 1 && d.digits[significant - 1] == '0')
    --significant;
  if (value < 0) line += '-';
  const int e = d.exponent;
  if (e >= -5 && e < 15) {
    if (e < 0) {
      line += "0.";
      line.append(-e - 1, '0');
      line.append(d.digits.data(), significant);
      return;
    }
    const int whole = e + 1;
    for (int i = 0; i < whole; ++i)
      line += i < significant ? d.digits[i] : '0';
    if (significant > whole) {
      line += '.';
      line.append(d.digits.data() + whole, significant - whole);
    }
    return;
  }
  line += d.digits[0];
  if (significant > 1) {
    line += '.';
    line.append(d.digits.data() + 1, significant - 1);
  }
  line += 'E';
  AppendInteger(line, e);
}

void AppendRight(std::string& line, std::string_view text, int width) {
  Pad(line, text.size(), width);
  line.append(text);
}

std::string Fixed(long double value, int width, int decimals) {
  std::string text;
  AppendFixed(text, value, width, decimals);
  return text;
}

std::string Scientific(long double value) {
  std::string text;
  AppendScientific(text, value);
  return text;
}

std::string General(long double value) {
  std::string text;
  AppendGeneral(text, value);
  return text;
}

namespace {

template <typename Real>
void AppendShortestOf(std::string& line, Real value) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, value);
  line.append(text, r.ptr);
}

}  // namespace

void AppendShortest(std::string& line, double value) {
  AppendShortestOf(line, value);
}

void AppendShortest(std::string& line, long double value) {
  AppendShortestOf(line, value);
}

std::string Shortest(double value) {
  std::string text;
  AppendShortest(text, value);
  return text;
}

std::string Shortest(long double value) {
  std::string text;
  AppendShortest(text, value);
  return text;
}

}  // namespace textio
