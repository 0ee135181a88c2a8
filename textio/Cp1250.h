// Conversion between the program's UTF-8 texts and the Windows-1250 bytes of its files.
// Source code and window texts are UTF-8; every file on disk is Windows-1250, so texts
// cross at the file boundary only. Characters that Windows-1250 lacks become '?'.
#pragma once

#include <string>
#include <string_view>

namespace textio {

std::string Utf8ToCp1250(std::string_view utf8);
std::string Cp1250ToUtf8(std::string_view cp1250);
// Appends the UTF-8 form to `out` (for texts rebuilt once per record, without allocating).
void AppendCp1250AsUtf8(std::string& out, std::string_view cp1250);

// The Unicode code point of a Windows-1250 byte; -1 for the five bytes it leaves undefined.
int Cp1250CodePoint(unsigned char byte);

// A UTF-8 text safe to show in a message box, a terminal or a log: every control character
// but the line feed and the tab (C0, DEL, and C1 as a damaged file's bytes decode to)
// becomes its code written out, "\x1B". The files keep the bytes as they stood.
std::string Printable(std::string_view utf8);

}  // namespace textio
