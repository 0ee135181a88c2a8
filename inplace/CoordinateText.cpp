#include "inplace/CoordinateText.h"

#include <cmath>

#include "textio/NumberForms.h"
#include "textio/NumberReading.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads `token` as [+|-] digits [mark digits] with a digit somewhere.
bool ReadToken(std::string_view token, char mark, CoordinateNumber& number) {
  std::string plain(token);
  number.plus = plain[0] == '+';
  std::size_t k = plain[0] == '+' || plain[0] == '-' ? 1 : 0;
  bool digits = false;
  for (; k < plain.size() && IsDigit(plain[k]); ++k)
    digits = true;
  if (k < plain.size() && plain[k] == mark) {
    number.mark = true;
    plain[k] = '.';
    for (++k; k < plain.size() && IsDigit(plain[k]); ++k, ++number.decimals)
      digits = true;
  }
  return digits && k == plain.size() && textio::ParseNumber(plain, number.value);
}

void AppendWithMark(std::string& out, long double value, const CoordinateNumber& as, char mark) {
  if (as.plus && !(value < 0)) out += '+';
  const std::size_t from = out.size();
  textio::AppendFixed(out, value, 0, as.decimals);
  if (as.decimals == 0) {
    if (as.mark) out += mark;
  } else if (mark != '.') {
    out[out.find('.', from)] = mark;
  }
}

}  // namespace

bool ScanCoordinateNumbers(std::string_view text, std::string_view separators, char mark,
                           std::vector<CoordinateNumber>& numbers, std::size_t& bad,
                           std::string& token) {
  numbers.clear();
  for (std::size_t k = 0; k < text.size();) {
    if (separators.find(text[k]) != std::string_view::npos) {
      ++k;
      continue;
    }
    std::size_t end = k;
    while (end < text.size() && separators.find(text[end]) == std::string_view::npos)
      ++end;
    CoordinateNumber number;
    number.begin = k;
    number.end = end;
    if (!ReadToken(text.substr(k, end - k), mark, number)) {
      bad = k;
      token = std::string(text.substr(k, end - k));
      return false;
    }
    numbers.push_back(number);
    k = end;
  }
  return true;
}

void AppendCoordinate(std::string& out, long double value, const CoordinateNumber& as, char mark) {
  AppendWithMark(out, value, as, mark);
}

void AppendCoordinateOutward(std::string& out, long double value, const CoordinateNumber& as,
                             char mark, bool up) {
  const long double scale = std::pow(10.0L, as.decimals);
  const long double whole = up ? std::ceil(value * scale) : std::floor(value * scale);
  AppendWithMark(out, whole / scale, as, mark);
}
