#include "textio/NumberReading.h"

#include <charconv>
#include <cstdint>

#include "textio/BigDecimal.h"
#include "textio/ExactDecimal.h"

namespace textio {
namespace {

bool IsSeparator(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i]))
    ++i;
  return i;
}

bool IsNumberSyntax(std::string_view s) {
  std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  const std::size_t whole = SkipDigits(s, i);
  std::size_t end = whole;
  std::size_t fraction = 0;
  if (end < s.size() && s[end] == '.') {
    const std::size_t after = SkipDigits(s, end + 1);
    fraction = after - end - 1;
    end = after;
  }
  if (whole == i && fraction == 0) return false;
  if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
    std::size_t e = end + 1;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
    const std::size_t digits = SkipDigits(s, e);
    if (digits == e) return false;
    end = digits;
  }
  return end == s.size();
}

// The digits of a well-formed token as an integer mantissa and a power of ten; false when
// more than 19 significant digits or an exponent of more than 4 digits make it long.
bool Decompose(std::string_view s, std::uint64_t& mantissa, int& power, bool& negative) {
  std::size_t i = 0;
  negative = s[0] == '-';
  if (s[0] == '+' || s[0] == '-') ++i;
  mantissa = 0;
  power = 0;
  int significant = 0;
  bool fraction = false;
  for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
    if (s[i] == '.') {
      fraction = true;
      continue;
    }
    if (mantissa == 0 && s[i] == '0') {
      if (fraction) --power;
      continue;
    }
    if (++significant > 19) return false;
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(s[i] - '0');
    if (fraction) --power;
  }
  if (i == s.size()) return true;
  const std::string_view e = s.substr(i + 1);
  int exponent = 0;
  const std::size_t digits = e.size() - (e[0] == '+' || e[0] == '-' ? 1 : 0);
  if (digits > 4) return false;
  std::from_chars(e.data() + (e[0] == '+' ? 1 : 0), e.data() + e.size(), exponent);
  power += exponent;
  return true;
}

}  // namespace

bool ParseNumber(std::string_view token, long double& value) {
  if (!IsNumberSyntax(token)) return false;
  std::uint64_t mantissa;
  int power;
  bool negative;
  if (Decompose(token, mantissa, power, negative) &&
      NearestLongDouble(mantissa, power, negative, value)) {
    return true;
  }
  // A value beyond the 80-bit range is as unreadable as a misspelt one.
  return NearestToDecimal(token, value);
}

bool SkipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsSeparator(text[pos]))
    ++pos;
  return pos < text.size();
}

bool ReadNumber(std::string_view text, std::size_t& pos, long double& value) {
  if (!SkipBlanks(text, pos)) return false;
  const std::size_t start = pos;
  while (pos < text.size() && !IsSeparator(text[pos]))
    ++pos;
  return ParseNumber(text.substr(start, pos - start), value);
}

}  // namespace textio
