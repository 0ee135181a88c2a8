// The number forms of every written file. Each appends to a line being built; widths are
// minimum widths: a number that needs more room takes it, nothing is ever cut. The decimal
// separator is always '.', whatever the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace textio {

// fixed w:d: exactly `decimals` decimals, right-aligned in `width` columns. The value is
// rounded exactly from its 80-bit binary value (as printf's "%*.*Lf" does).
void AppendFixed(std::string& line, long double value, int width, int decimals);

// integer w: decimal digits right-aligned in `width` columns (0: no padding).
void AppendInteger(std::string& line, std::int64_t value, int width = 0);

// The 23-character scientific form: ' ' or '-', one digit, '.', 14 digits, 'E', the
// exponent's sign and 4 digits. 1.5 gives " 1.50000000000000E+0000".
void AppendScientific(std::string& line, long double value);

// general: at most 15 significant digits, shortest, no trailing zeros; fixed notation while
// the integer part has at most 15 digits and |v| >= 0.00001, otherwise "1.5E-6", "1E20".
void AppendGeneral(std::string& line, long double value);

// text w: the text right-aligned in `width` columns.
void AppendRight(std::string& line, std::string_view text, int width);

// shortest: the shortest text that reads back as the same value (std::to_chars), for numbers
// written for other programs to read (a CAD drawing's, QGIS's point files).
void AppendShortest(std::string& line, double value);
void AppendShortest(std::string& line, long double value);
// Convenience forms that return the text alone.
std::string Fixed(long double value, int width, int decimals);
std::string Scientific(long double value);
std::string General(long double value);
std::string Shortest(double value);
std::string Shortest(long double value);

}  // namespace textio
