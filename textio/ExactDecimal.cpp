#include "textio/ExactDecimal.h"

#include <array>
#include <cstring>

#include "textio/ExtendedReal.h"

namespace textio {
namespace {

__extension__ typedef unsigned __int128 Uint128;

constexpr std::array<std::uint64_t, 20> kPowers = [] {
  std::array<std::uint64_t, 20> p{};
  p[0] = 1;
  for (std::size_t i = 1; i < p.size(); ++i)
    p[i] = p[i - 1] * 10;
  return p;
}();

// 10^0 .. 10^27 are exact in 80 bits (5^27 < 2^64).
constexpr std::array<long double, 28> kExactPowers = [] {
  std::array<long double, 28> p{};
  p[0] = 1;
  for (std::size_t i = 1; i < p.size(); ++i)
    p[i] = p[i - 1] * 10;
  return p;
}();

using Parts = ExtendedParts;

// n / 2^shift rounded half to even.
Uint128 ShiftRounded(Uint128 n, int shift) {
  if (shift <= 0) return n;
  if (shift >= 128) return 0;  // callers keep n below 2^127
  const Uint128 q = n >> shift;
  const Uint128 rest = n - (q << shift);
  const Uint128 half = Uint128{1} << (shift - 1);
  return (rest > half || (rest == half && (q & 1))) ? q + 1 : q;
}

// n / d rounded half to even.
Uint128 DivideRounded(Uint128 n, Uint128 d) {
  const Uint128 q = n / d, rest = n % d;
  const Uint128 twice = rest * 2;
  return (twice > d || (twice == d && (q & 1))) ? q + 1 : q;
}

// |value| * 10^power rounded, for the ranges where 128 bits hold every step.
bool Scaled(const Parts& p, int power, Uint128& result) {
  if (power >= 0) {
    if (power > 19 || p.exponent > 0) return false;
    result = ShiftRounded(Uint128{p.significand} * kPowers[power], -p.exponent);
    return true;
  }
  if (-power > 19 || p.exponent > 0 || p.exponent < -40) return false;
  result = DivideRounded(p.significand, Uint128{kPowers[-power]} << -p.exponent);
  return true;
}

}  // namespace

bool ScaledInteger(long double value, int decimals, std::uint64_t& scaled, bool& negative) {
  const Parts p = SplitExtended(value);
  if (!p.finite || decimals < 0 || decimals > 9 || p.exponent > 0) return false;
  const Uint128 n = ShiftRounded(Uint128{p.significand} * kPowers[decimals], -p.exponent);
  if (n >> 64) return false;
  scaled = static_cast<std::uint64_t>(n);
  negative = p.negative;
  return true;
}

bool FifteenDigits(long double value, std::uint64_t& digits, int& exponent) {
  const Parts p = SplitExtended(value);
  if (!p.finite || p.significand == 0) return false;
  // The top set bit gives the decimal exponent to within one.
  const int topBit = 63 - __builtin_clzll(p.significand) + p.exponent;
  int guess = static_cast<int>((topBit >= 0 ? topBit : topBit - 1) * 0.30102999566398120L);
  for (int attempt = 0; attempt < 3; ++attempt) {
    Uint128 q;
    if (!Scaled(p, 14 - guess, q)) return false;
    if (q >= kPowers[15]) {
      ++guess;
    } else if (q < kPowers[14]) {
      --guess;
    } else {
      digits = static_cast<std::uint64_t>(q);
      exponent = guess;
      return true;
    }
  }
  return false;
}

bool NearestLongDouble(std::uint64_t mantissa, int power, bool negative, long double& value) {
  if (mantissa >= kPowers[19] || power < -27 || power > 27) return false;
  const long double m = static_cast<long double>(mantissa);
  value = power < 0 ? m / kExactPowers[-power] : m * kExactPowers[power];
  if (negative) value = -value;
  return true;
}

}  // namespace textio
