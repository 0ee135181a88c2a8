// Number reading and the number forms: every token that reads as a number must agree with
// strtold, its fixed form with printf's "%.2Lf" (the program runs in the C locale), and
// writing it in every form must not fail.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "textio/NumberForms.h"
#include "textio/NumberReading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t pos = 0;
  long double value = 0;
  std::string line;
  while (pos < text.size()) {
    const std::size_t start = pos;
    const bool read = textio::ReadNumber(text, pos, value);
    if (pos <= start) break;
    if (!read) continue;
    std::size_t first = start;
    while (static_cast<unsigned char>(text[first]) <= ' ')
      ++first;  // the skipped separators
    const std::string token(text.substr(first, pos - first));
    const long double expected = std::strtold(token.c_str(), nullptr);
    if (std::memcmp(&value, &expected, 10) != 0) std::abort();
    static char printed[5100];  // the largest 80-bit value has 4933 digits
    std::snprintf(printed, sizeof printed, "%.2Lf", value);
    if (textio::Fixed(value, 0, 2) != printed) std::abort();
    line.clear();
    textio::AppendFixed(line, value, 18, 2);
    textio::AppendScientific(line, value);
    textio::AppendGeneral(line, value);
  }
  return 0;
}
