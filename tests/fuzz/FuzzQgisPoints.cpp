// The georeferencer's point files: the fuzzer's bytes as a .points file. Whatever the input,
// the reader ends; a file it reads without a problem gives points numbered 1, 2, ... with
// finite coordinates, and each disabled number is one of them.
#include <cmath>
#include <string>

#include "transform/QgisPoints.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QgisPoints read =
      ParseQgisPoints(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!read.problems.empty()) return 0;
  for (std::size_t k = 0; k < read.points.size(); ++k) {
    const TPkt& p = read.points[k];
    if (p.Nr != std::to_string(k + 1)) __builtin_trap();
    for (long double v : {p.x1, p.y1, p.x2, p.y2})
      if (!std::isfinite(v)) __builtin_trap();
  }
  for (const std::string& nr : read.disabled) {
    const std::size_t n = std::stoul(nr);
    if (n < 1 || n > read.points.size()) __builtin_trap();
  }
  return 0;
}
