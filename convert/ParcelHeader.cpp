#include "convert/ParcelHeader.h"

#include <charconv>

namespace {

// Column `c` (counted from 1) of the examined part of a line, or '\0' where the column lies
// outside the line or beyond the examined columns.
char Column(std::string_view line, int c) {
  if (c < 1 || c > kHeaderColumns || static_cast<std::size_t>(c) > line.size()) return '\0';
  return line[c - 1];
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// An integer with leading blanks allowed; anything else gives 0.
std::int32_t UnitNumber(std::string_view line, int p) {
  std::string text;
  for (int c = p - 3; c <= p - 1; ++c) {
    if (const char ch = Column(line, c)) text += ch;
  }
  std::string_view digits = text;
  while (!digits.empty() && digits.front() == ' ')
    digits.remove_prefix(1);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  std::int32_t unit = 0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), unit);
  if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
    return 0;
  }
  return unit;
}

PrecinctCode NormalisedPrecinct(std::string_view line, int p) {
  const char a = Column(line, p + 1), b = Column(line, p + 2), c = Column(line, p + 3);
  if (b == '-') return PrecinctCode{{'0', '0', a}};
  if (c == '-') return PrecinctCode{{'0', a, b}};
  return PrecinctCode{{a, b, c}};
}

std::string Identifier(std::string_view line, int p) {
  std::string id;
  if (const char first = Column(line, p - 2)) id += first;
  for (int c = p - 1; c <= p + 12 && id.size() < kIdentifierLength; ++c) {
    const char ch = Column(line, c);
    if (ch != '\0' && ch != ' ') id += ch;
  }
  return id;
}

}  // namespace

PrecinctCode PrecinctCode::Of(std::string_view text) {
  PrecinctCode code;
  for (std::size_t i = 0; i < 3 && i < text.size(); ++i)
    code.cells[i] = text[i];
  return code;
}

bool PrecinctCode::IsDefective() const {
  for (char c : cells) {
    if (!IsDigit(c)) return true;
  }
  return false;
}

std::string PrecinctCode::Text() const {
  std::string text;
  for (char c : cells) {
    if (c != '\0') text += c;
  }
  return text;
}

std::string PrecinctCode::Shown() const {
  PrecinctCode shown = *this;
  if (shown.cells[0] == '0' && shown.cells[1] == '0') {
    shown.cells[0] = shown.cells[1] = ' ';
  } else if (shown.cells[0] == '0') {
    shown.cells[0] = ' ';
  }
  return shown.Text();
}

std::optional<int> FindAnchor(std::string_view line) {
  for (int m = 1; m <= kAnchorColumns; ++m) {
    const char c = Column(line, m);
    if (c == '.') return m;
    if (c != '-') continue;
    int p = m - 2;
    for (int step = 0; step < 2; ++step) {
      const char at = Column(line, p);
      if (at != ' ' && at != '.') --p;
    }
    return p;
  }
  return std::nullopt;
}

bool ReadParcelHeader(std::string_view line, ParcelHeader& header) {
  const std::optional<int> anchor = FindAnchor(line);
  if (!anchor) return false;
  const int p = *anchor;
  header.anchor = p;
  header.unit = UnitNumber(line, p);
  header.precinct = NormalisedPrecinct(line, p);
  header.identifier = Identifier(line, p);
  return true;
}
