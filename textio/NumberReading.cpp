#include "textio/NumberReading.h"

#include <charconv>

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

}  // namespace

bool ParseNumber(std::string_view token, long double& value) {
  if (!IsNumberSyntax(token)) return false;
  if (token[0] == '+') token.remove_prefix(1);
  long double parsed = 0;
  const auto result = std::from_chars(token.data(), token.data() + token.size(), parsed);
  // A value beyond the 80-bit range is as unreadable as a misspelt one.
  if (result.ec != std::errc()) return false;
  value = parsed;
  return true;
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
