// Exact decimal rounding of 80-bit reals without the C library: the value is taken apart
// into its 64-bit significand and binary exponent, scaled by a power of ten in 128-bit
// integers and rounded half to even, as printf does in the default rounding mode. Each
// function returns false where its integer range does not reach; the caller then takes the
// exact slow path of BigDecimal.
#pragma once

#include <cstdint>

namespace textio {

// |value| * 10^decimals rounded to an integer (decimals 0..9); `negative` is the sign bit.
bool ScaledInteger(long double value, int decimals, std::uint64_t& scaled, bool& negative);

// |value| rounded to 15 significant digits: |value| ~ digits * 10^(exponent - 14) with
// 10^14 <= digits < 10^15. For finite nonzero values between about 1e-5 and 1e18.
bool FifteenDigits(long double value, std::uint64_t& digits, int& exponent);

// The long double nearest to [sign] mantissa * 10^power, for mantissas below 10^19 and
// powers -27..27, where both factors are exact and one rounding gives the nearest value.
bool NearestLongDouble(std::uint64_t mantissa, int power, bool negative, long double& value);

}  // namespace textio
