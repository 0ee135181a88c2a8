// A point number as the transformation compares it: the first 16 characters of the stored
// text, compared byte for byte (length, letter case and blanks significant). Held in place,
// so the point tables need no allocation per point.
#pragma once

#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <string_view>

class PointNumber {
 public:
  static constexpr std::size_t kLength = 16;

  PointNumber() = default;
  explicit PointNumber(std::string_view text) {
    length_ = static_cast<std::uint8_t>(std::min(text.size(), kLength));
    std::copy_n(text.data(), length_, text_.data());
  }
  // The mark of a repeated point: the one-character text "*".
  static PointNumber RepeatMark() { return PointNumber("*"); }

  std::string_view View() const { return {text_.data(), length_}; }
  bool IsRepeatMark() const { return length_ == 1 && text_[0] == '*'; }

  friend bool operator==(const PointNumber& a, const PointNumber& b) {
    return a.View() == b.View();
  }
  friend std::strong_ordering operator<=>(const PointNumber& a, const PointNumber& b) {
    return a.View() <=> b.View();
  }

 private:
  std::array<char, kLength> text_{};
  std::uint8_t length_ = 0;
};
