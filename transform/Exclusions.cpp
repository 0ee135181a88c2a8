#include "transform/Exclusions.h"

#include <algorithm>

#include "textio/Cp1250.h"
#include "textio/TextFile.h"

namespace {

bool Unreadable(std::string_view line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
  });
}

bool SameNumber(const PointNumber& a, std::string_view b) {
  return TrimmedNumber(a.View()) == TrimmedNumber(PointNumber(b).View());
}

std::string Problem(int line, std::string_view what) {
  return std::string(kExclusionFileName) + ", wiersz " + std::to_string(line) + ": " +
         std::string(what);
}

}  // namespace

std::string_view TrimmedNumber(std::string_view number) {
  const std::size_t first = number.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return number.substr(first, number.find_last_not_of(" \t") - first + 1);
}

ExclusionFile ReadExclusionFile(const std::string& path) {
  ExclusionFile file;
  file.present = textio::ReadLines(path, file.lines);
  return file;
}

std::string ShownNumber(const PointNumber& nr) {
  return textio::Cp1250ToUtf8(TrimmedNumber(nr.View()));
}

Exclusions CheckExclusions(const ExclusionFile& file, const std::vector<PointNumber>& known) {
  Exclusions result;
  result.present = file.present;
  int number = 0;
  for (const std::string& line : file.lines) {
    ++number;
    const std::string_view text = TrimmedNumber(line);
    if (text.empty() || text[0] == '#') continue;
    if (Unreadable(line)) {
      result.problems.push_back(Problem(number, "wiersz nieczytelny"));
      continue;
    }
    const std::string shown = textio::Cp1250ToUtf8(text);
    const auto same = [&](const PointNumber& nr) { return SameNumber(nr, text); };
    if (std::any_of(result.numbers.begin(), result.numbers.end(), same)) {
      result.problems.push_back(Problem(number, "numer " + shown + " powtórzony"));
    } else if (auto it = std::find_if(known.begin(), known.end(), same); it != known.end()) {
      result.numbers.push_back(*it);
    } else {
      result.problems.push_back(
          Problem(number, "punktu " + shown + " nie ma wśród punktów dostosowania"));
    }
  }
  return result;
}

bool WriteExclusions(const std::string& path, const std::vector<std::string>& numbers,
                     std::string& failure) {
  textio::TextFileWriter out;
  out.Create(path);
  out.WriteUtf8Line("# Punkty wyłączone z dopasowania (ZORNAK_edz)");
  for (const std::string& number : numbers)
    out.WriteLine(number);
  if (out.Close()) return true;
  failure = out.FailureText();
  return false;
}
