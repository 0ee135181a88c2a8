#include "textio/TextScanner.h"

#include <charconv>
#include <cstdint>

#include "textio/NumberReading.h"

namespace textio {

bool TextScanner::Open(const std::string& path) {
  line_.clear();
  pos_ = 0;
  return reader_.Open(path);
}

bool TextScanner::NextLine() {
  pos_ = 0;
  return reader_.ReadLine(line_);
}

std::string_view TextScanner::Take(std::size_t count) {
  const std::string_view taken = std::string_view(line_).substr(pos_, count);
  pos_ += taken.size();
  return taken;
}

std::string_view TextScanner::Rest() {
  return Take(std::string_view::npos);
}

TextScanner::Read TextScanner::Token(std::string_view& token) {
  token_ = {};
  while (!SkipBlanks(line_, pos_)) {
    if (!NextLine()) return Read::End;
  }
  const std::size_t start = pos_;
  while (pos_ < line_.size() && static_cast<unsigned char>(line_[pos_]) > ' ')
    ++pos_;
  token = token_ = std::string_view(line_).substr(start, pos_ - start);
  return Read::Ok;
}

TextScanner::Read TextScanner::Number(long double& value) {
  std::string_view token;
  const Read read = Token(token);
  if (read != Read::Ok) return read;
  return ParseNumber(token, value) ? Read::Ok : Read::Bad;
}

TextScanner::Read TextScanner::Integer(std::int32_t& value) {
  std::string_view token;
  const Read read = Token(token);
  if (read != Read::Ok) return read;
  if (!token.empty() && token[0] == '+') token.remove_prefix(1);
  std::int32_t parsed = 0;
  const auto result = std::from_chars(token.data(), token.data() + token.size(), parsed);
  if (result.ec != std::errc() || result.ptr != token.data() + token.size()) return Read::Bad;
  value = parsed;
  return Read::Ok;
}

}  // namespace textio
