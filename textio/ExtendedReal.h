// The 80-bit x87 extended real taken apart and put together: a 64-bit significand with an
// explicit integer bit, a 15-bit biased exponent and a sign. The number forms and number
// reading work on these parts, never on the C library's view of long double.
#pragma once

#include <cfloat>
#include <cstdint>
#include <cstring>

namespace textio {

static_assert(LDBL_MANT_DIG == 64, "80-bit x87 extended reals expected");

inline constexpr int kExtendedBias = 16383;
inline constexpr int kExtendedLargestBiased = 0x7FFE;

// value = significand * 2^exponent, for normal and subnormal values alike.
struct ExtendedParts {
  std::uint64_t significand;
  int exponent;
  bool negative;
  bool finite;
};

inline ExtendedParts SplitExtended(long double value) {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &value, sizeof value);
  ExtendedParts p;
  std::memcpy(&p.significand, bytes, 8);
  std::uint16_t signExponent;
  std::memcpy(&signExponent, bytes + 8, 2);
  p.negative = (signExponent & 0x8000) != 0;
  const int biased = signExponent & 0x7FFF;
  p.finite = biased != 0x7FFF;
  p.exponent = (biased == 0 ? 1 : biased) - kExtendedBias - 63;
  return p;
}

// The real of these fields; `biased` 0 makes a subnormal (or zero) significand.
inline long double JoinExtended(std::uint64_t significand, int biased, bool negative) {
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &significand, 8);
  const std::uint16_t signExponent = static_cast<std::uint16_t>(biased | (negative ? 0x8000 : 0));
  std::memcpy(bytes + 8, &signExponent, 2);
  long double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

}  // namespace textio
