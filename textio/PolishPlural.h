// The Polish plural of a count: one form for 1 ("para"), one for counts ending in 2 to 4 but
// not 12 to 14 ("pary"), one for every other count, 0 included ("par").
#pragma once

#include <cstdint>
#include <string_view>

namespace textio {

constexpr std::string_view PluralForm(std::int64_t n, std::string_view one, std::string_view few,
                                      std::string_view many) {
  if (n < 0) n = -n;
  if (n == 1) return one;
  const std::int64_t units = n % 10, tens = n % 100;
  return units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? few : many;
}

}  // namespace textio
