// The surveyor's own limits for a fit: the mean error of unit weight m0 and the largest
// residual of the adjustment points, in metres, as the technical standard or the job's
// contract sets them (they differ by job and scale: the program knows no law). Kept per
// working folder in the optional Limity.txt (Windows-1250, CR LF), one limit a line:
//   m0 0.05
//   odchylka 0.10
// (a comma may stand for the point; blank lines and lines starting with '#' are ignored).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "transform/FittedTransformation.h"

inline constexpr const char* kLimitFileName = "Limity.txt";

struct Limits {
  std::optional<long double> m0, residual;  // metres; unset: no limit
  bool Any() const { return m0.has_value() || residual.has_value(); }
};

struct LimitFile {
  bool present = false;
  Limits limits;
  std::vector<std::string> problems;  // one UTF-8 text per faulty line, in file order
};

// Reads `path`. A line that is no "m0 X" or "odchylka X" with X a number above 0, or that
// repeats a limit, is a problem, named with its line, and otherwise ignored.
LimitFile ReadLimitFile(const std::string& path);

// A limit as a surveyor types it, in Limity.txt or a field: a number of metres above 0, a
// comma or a point before the decimals, blanks around; nullopt for anything else.
std::optional<long double> ReadLimitValue(std::string text);

// `given`'s limits where set, else `file`'s.
Limits LimitsOver(const Limits& file, const Limits& given);

// Writes the limits set (a comment line first), atomically; with none set, removes the
// file. False with the file and the reason in `failure`.
bool WriteLimitFile(const std::string& path, const Limits& limits, std::string& failure);

// One limit against its figure.
struct LimitCheck {
  const char* key;   // "m0" or "max_residual"
  const char* name;  // UTF-8: "m0", "największa odchyłka"
  long double limit = 0, value = 0;
  bool met = false;
};

// Each limit set against the fit's figures, m0 first; none without a limit.
std::vector<LimitCheck> CheckLimits(const Limits& limits, const AccuracyFigures& figures);
inline bool AllMet(const std::vector<LimitCheck>& checks) {
  for (const LimitCheck& c : checks) {
    if (!c.met) return false;
  }
  return true;
}
