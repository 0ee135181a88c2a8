// The header line of a parcel or contour record. Its fields hang on one anchor column p:
// the first '.' in columns 1..70, or, when a '-' comes first, the blank or '.' found by
// stepping at most twice left from two columns before it. The unit number stands in
// columns p-3..p-1, the precinct code in p+1..p+3 (a '-' among them means a shorter code,
// filled with leading zeros), the identifier from p-2 on. A line with neither '.' nor '-'
// in columns 1..70 is a filler line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Three cells of one character each; '\0' is an empty cell (a column with no character).
struct PrecinctCode {
  std::array<char, 3> cells{};

  static PrecinctCode Of(std::string_view text);
  // A code is defective when any cell is not a digit '0'..'9'.
  bool IsDefective() const;
  // The cells as text, empty cells leaving no character.
  std::string Text() const;
  // The code as the defect report shows it: two leading '0' cells as two blanks, else one
  // leading '0' cell as one blank.
  std::string Shown() const;
  friend bool operator==(const PrecinctCode&, const PrecinctCode&) = default;
};

struct ParcelHeader {
  int anchor = 0;  // column p, counted from 1
  std::int32_t unit = 0;
  PrecinctCode precinct;
  std::string identifier;  // at most 15 characters
};

constexpr int kHeaderColumns = 100;
constexpr int kAnchorColumns = 70;
constexpr std::size_t kIdentifierLength = 15;

// The anchor column of `line` (it may lie left of column 1), or nothing for a filler line.
std::optional<int> FindAnchor(std::string_view line);

// Reads the header fields of `line`; false for a filler line.
bool ReadParcelHeader(std::string_view line, ParcelHeader& header);
