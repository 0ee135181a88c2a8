// The adjustment points a user leaves out of the fit: the optional file Wykluczone.txt of
// the working folder (Windows-1250, CR LF or LF), one point number a line. Blank lines and
// lines starting with '#' are ignored; numbers compare as TRANSPKT.BIN's do (the first 16
// characters), with blanks trimmed on both sides. The file is only ever read here; the
// desktop program rewrites it through WriteExclusions.
#pragma once

#include <string>
#include <vector>

#include "transform/PointNumber.h"

inline constexpr const char* kExclusionFileName = "Wykluczone.txt";

struct Exclusions {
  bool present = false;               // the file exists
  std::vector<PointNumber> numbers;   // numbers to leave out: found, each once, in file order
  std::vector<std::string> problems;  // one UTF-8 text per faulty line, in file order
};

// The file as read, before its numbers are checked against the adjustment points.
struct ExclusionFile {
  bool present = false;
  std::vector<std::string> lines;  // Windows-1250, line ends removed
};

ExclusionFile ReadExclusionFile(const std::string& path);

// The lines of `file` checked against `known`, the numbers of the adjustment points. A
// number not among them, a repeated number and an unreadable line (control characters) are
// problems, named with their line, and otherwise ignored.
Exclusions CheckExclusions(const ExclusionFile& file, const std::vector<PointNumber>& known);

// Reads `path` and checks it against `known`.
inline Exclusions ReadExclusions(const std::string& path, const std::vector<PointNumber>& known) {
  return CheckExclusions(ReadExclusionFile(path), known);
}

// `number` with the blanks around it trimmed, as the exclusion list compares it.
std::string_view TrimmedNumber(std::string_view number);

// A point number as every table, box and report shows it: trimmed, UTF-8.
std::string ShownNumber(const PointNumber& nr);

// Writes the list (a comment line, then one number a line, Windows-1250 as TRANSPKT.BIN
// holds them) atomically; false with the
// file and the system's reason in `failure`.
bool WriteExclusions(const std::string& path, const std::vector<std::string>& numbers,
                     std::string& failure);
