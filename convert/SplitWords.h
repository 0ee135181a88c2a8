// Splitting a line of the layer and object files into words at blanks, tabs and NUL
// characters. Runs of separators are one break and leading separators are skipped; a line
// ending in separators has an empty last word. The tail after word k is the line from the
// separator that ends it, verbatim.
#pragma once

#include <string_view>
#include <vector>

class SplitLine {
 public:
  // Word k (1-based); empty beyond the count.
  std::string_view Word(int k) const;
  // Number of words n (at least 1, counting an empty last word).
  int Count() const { return static_cast<int>(words_.size()); }
  // e(k) for k = 2..n: the 1-based position of the separator that ends word k-1.
  std::size_t End(int k) const { return ends_[k - 1]; }
  // The line from the separator ending word k to its end; empty when the line ends with
  // word k itself.
  std::string_view TailAfter(int k) const;

 private:
  friend void SplitWords(std::string_view line, SplitLine& split);
  std::string_view line_;
  std::vector<std::string_view> words_;
  std::vector<std::size_t> ends_;
};

// Splits `line` into `split`, which refers to `line` and reuses its storage.
void SplitWords(std::string_view line, SplitLine& split);
