// SplitWords: words, end positions and tails stay inside the line and add up to it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "convert/SplitWords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  SplitLine split;
  SplitWords(line, split);
  if (split.Count() < 1) std::abort();
  for (int k = 1; k <= split.Count() + 1; ++k) {
    const std::string_view word = split.Word(k);
    const std::string_view tail = split.TailAfter(k);
    if (word.size() > line.size() || tail.size() > line.size()) std::abort();
    if (k >= 2 && k <= split.Count() && (split.End(k) < 1 || split.End(k) > line.size())) {
      std::abort();
    }
  }
  return 0;
}
