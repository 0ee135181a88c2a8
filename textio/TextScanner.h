// Formatted reading of a text file as the mapping system writes it: line by line, with
// numbers that may continue on the next line. A number read skips blanks, control
// characters and line ends first, so a line holding too few numbers takes the missing ones
// from the lines after it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textio/TextFile.h"

namespace textio {

class TextScanner {
 public:
  enum class Read { Ok, Bad, End };

  // False when the file cannot be opened; it then reads as an empty file.
  bool Open(const std::string& path);
  // Makes the next line current, read position at its start; false (and an empty current
  // line) at the end of the file.
  bool NextLine();
  // True when no line follows the current one.
  bool AtEnd() { return reader_.AtEnd(); }

  std::string_view Line() const { return line_; }
  // Up to `count` characters from the read position, which moves past them.
  std::string_view Take(std::size_t count);
  // The rest of the current line from the read position (the position moves to its end).
  std::string_view Rest();

  // The next number; Bad when its token is not a number (the token is consumed), End when
  // the file ends first.
  Read Number(long double& value);
  // The next whole number in the 32-bit range, by the same rules.
  Read Integer(std::int32_t& value);
  // The token of the last Number or Integer call, valid until the next line is read.
  std::string_view LastToken() const { return token_; }

 private:
  Read Token(std::string_view& token);

  TextFileReader reader_;
  std::string line_;
  std::size_t pos_ = 0;
  std::string_view token_;
};

}  // namespace textio
