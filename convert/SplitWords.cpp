#include "convert/SplitWords.h"

namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\0';
}

}  // namespace

std::string_view SplitLine::Word(int k) const {
  return k >= 1 && k <= Count() ? words_[k - 1] : std::string_view();
}

std::string_view SplitLine::TailAfter(int k) const {
  if (k + 1 > Count() || k < 1) return {};
  return line_.substr(ends_[k] - 1);
}

void SplitWords(std::string_view line, SplitLine& split) {
  split.line_ = line;
  split.words_.clear();
  split.ends_.assign(1, 0);  // e(1) does not exist
  std::size_t i = 0;
  while (i < line.size() && IsSeparator(line[i]))
    ++i;
  std::size_t start = i;
  while (i < line.size()) {
    if (!IsSeparator(line[i])) {
      ++i;
      continue;
    }
    split.words_.push_back(line.substr(start, i - start));
    split.ends_.push_back(i + 1);
    while (i < line.size() && IsSeparator(line[i]))
      ++i;
    start = i;
  }
  split.words_.push_back(line.substr(start, i - start));
}
