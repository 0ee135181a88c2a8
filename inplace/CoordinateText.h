// The numbers of a coordinate text as the file writes them, and their rewriting: each number
// keeps its own count of decimals (and its decimal mark), and every byte between numbers is
// left where it is. A number is [+|-] digits [mark digits]; an exponent is not a coordinate
// as the register writes one, and is refused rather than guessed at.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CoordinateNumber {
  std::size_t begin = 0, end = 0;  // in the text
  int decimals = 0;
  bool mark = false;  // written with a decimal mark (so "5." keeps its point)
  bool plus = false;  // written with a '+', kept on a value that stays positive
  long double value = 0;
};

// The numbers of `text`, split at the characters of `separators` (and nowhere else), with
// `mark` as the decimal mark. False at the first token that is no such number: `bad` is its
// offset, `token` its text.
bool ScanCoordinateNumbers(std::string_view text, std::string_view separators, char mark,
                           std::vector<CoordinateNumber>& numbers, std::size_t& bad,
                           std::string& token);

// `value` rounded to `decimals` exactly from its 80-bit value, as the map files' numbers are,
// with `mark` for the decimal point.
void AppendCoordinate(std::string& out, long double value, const CoordinateNumber& as, char mark);
// The same, rounded down (`up` false) or up to `decimals`: a box's corner that still holds
// what it bounds.
void AppendCoordinateOutward(std::string& out, long double value, const CoordinateNumber& as,
                             char mark, bool up);

// XML's white space, the separators of a position list.
inline constexpr std::string_view kXmlSpace = " \t\r\n";
