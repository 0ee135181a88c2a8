// The slow paths behind the fast ones of ExactDecimal, exact for every 80-bit real and
// every decimal, with integers of any length. They use no C library: printf and strtold
// differ between platforms (MinGW's library formats long double through printf in the
// process locale and reads it through double) and follow the locale, so the files would
// differ between Linux and Windows.
#pragma once

#include <string>
#include <string_view>

namespace textio {

// printf("%.*Lf") in the C locale, for any value: rounded half to even from the exact binary
// value; "-" whenever the sign bit is set; "inf", "-inf", "nan", "-nan".
std::string FixedText(long double value, int decimals);

// |value| (finite) rounded half to even to `count` significant digits:
// |value| ~ d1.d2d3... * 10^exponent, `digits` exactly `count` long; zero gives zeros and 0.
void SignificantDigits(long double value, int count, std::string& digits, int& exponent);

// The long double nearest to a decimal token that has number syntax ([+-]digits[.digits]
// [e[+-]digits]), ties to even, as strtold rounds. False when the value lies beyond the
// 80-bit range, or whose rounded value lies below its normal range and is not exact
// (strtold's range errors, which the program treats as unreadable).
bool NearestToDecimal(std::string_view token, long double& value);

}  // namespace textio
