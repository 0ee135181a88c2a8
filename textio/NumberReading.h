// Reading numbers from text as the mapping system writes them: leading blanks, tabs and
// other control characters are skipped; a number runs to the next blank or control
// character; '.' is the decimal separator; a sign and an exponent part are accepted.
// The process locale plays no part.
#pragma once

#include <cstddef>
#include <string_view>

namespace textio {

// Parses a whole token: [+|-] digits [. digits] [(e|E) [+|-] digits], with at least one
// digit before or after the point. False (value untouched) for anything else.
bool ParseNumber(std::string_view token, long double& value);

// Reads the next number of `text` starting at `pos` and moves `pos` past it. False when
// only blanks remain or the token is not a number (pos is then past the bad token).
bool ReadNumber(std::string_view text, std::size_t& pos, long double& value);

// Moves `pos` past blanks and control characters; false when nothing else remains.
bool SkipBlanks(std::string_view text, std::size_t& pos);

}  // namespace textio
