#include "transform/Limits.h"

#include <algorithm>
#include <cmath>

#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/NumberReading.h"
#include "textio/Platform.h"
#include "textio/TextFile.h"

namespace {

std::string Problem(int line, std::string_view what) {
  return std::string(kLimitFileName) + ", wiersz " + std::to_string(line) + ": " +
         std::string(what);
}

// The limit a key names in `limits`, or null for an unknown key (Windows-1250 bytes).
std::optional<long double>* Slot(std::string key, Limits& limits) {
  std::transform(key.begin(), key.end(), key.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  if (key == "m0") return &limits.m0;
  if (key == "odchylka" || key == textio::Utf8ToCp1250("odchyłka")) return &limits.residual;
  return nullptr;
}

}  // namespace

LimitFile ReadLimitFile(const std::string& path) {
  LimitFile file;
  std::vector<std::string> lines;
  file.present = textio::ReadLines(path, lines);
  int number = 0;
  for (const std::string& line : lines) {
    ++number;
    std::size_t pos = 0;
    if (!textio::SkipBlanks(line, pos) || line[pos] == '#') continue;
    const std::size_t start = pos;
    while (pos < line.size() && static_cast<unsigned char>(line[pos]) > ' ')
      ++pos;
    std::optional<long double>* slot = Slot(line.substr(start, pos - start), file.limits);
    const std::optional<long double> value = ReadLimitValue(line.substr(pos));
    if (!slot || !value) {
      file.problems.push_back(
          Problem(number, "oczekiwano \"m0 X\" albo \"odchylka X\" (X w metrach, większe od 0)"));
    } else if (slot->has_value()) {
      file.problems.push_back(Problem(number, "limit podany drugi raz"));
    } else {
      *slot = *value;
    }
  }
  return file;
}

std::optional<long double> ReadLimitValue(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  std::size_t at = 0;
  long double value = 0;
  if (!textio::ReadNumber(text, at, value) || textio::SkipBlanks(text, at) || !(value > 0) ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

Limits LimitsOver(const Limits& file, const Limits& given) {
  return {given.m0 ? given.m0 : file.m0, given.residual ? given.residual : file.residual};
}

bool WriteLimitFile(const std::string& path, const Limits& limits, std::string& failure) {
  if (!limits.Any()) {
    textio::RemoveFile(path);  // no limit: no file, as before any was set
    return true;
  }
  textio::TextFileWriter out;
  out.Create(path);
  out.WriteUtf8Line("# Limity dokładności dopasowania w metrach (ZORNAK_edz)");
  for (const auto& [key, value] : {std::pair{"m0", limits.m0}, {"odchylka", limits.residual}}) {
    if (value) out.WriteLine(std::string(key) + " " + textio::General(*value));
  }
  if (out.Close()) return true;
  failure = out.FailureText();
  return false;
}

std::vector<LimitCheck> CheckLimits(const Limits& limits, const AccuracyFigures& figures) {
  std::vector<LimitCheck> checks;
  if (limits.m0) checks.push_back({"m0", "m0", *limits.m0, figures.m0, figures.m0 <= *limits.m0});
  if (limits.residual) {
    checks.push_back({"max_residual", "największa odchyłka", *limits.residual, figures.maxResidual,
                      figures.maxResidual <= *limits.residual});
  }
  return checks;
}
