// The model a run fits and the decimals of its report, as the run command takes them from
// the selectors. All are 0 until the first run.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct ModelChoice {
  std::int32_t TransformKind = 0;    // 1 conformal, 2 general (locally affine)
  std::int32_t TransformDegree = 0;  // 1..9
  std::int32_t ReportDecimals = 0;   // decimals of the report's coordinate fields
};

// The item lists of the kind selector and the degree selector.
inline constexpr std::array<std::string_view, 2> kKindItems = {"Konforemna", "Ogólna (afin.)"};
inline constexpr std::array<std::string_view, 9> kDegreeItems = {"1", "2", "3", "4", "5",
                                                                 "6", "7", "8", "9"};

// Sets the kind and degree from selector texts equal, whole and in case, to an item; a text
// equal to no item leaves the value as it was.
inline void TakeModelChoice(std::string_view kindText, std::string_view degreeText,
                            ModelChoice& choice) {
  for (std::size_t i = 0; i < kKindItems.size(); ++i) {
    if (kindText == kKindItems[i]) choice.TransformKind = static_cast<std::int32_t>(i + 1);
  }
  for (std::size_t i = 0; i < kDegreeItems.size(); ++i) {
    if (degreeText == kDegreeItems[i]) choice.TransformDegree = static_cast<std::int32_t>(i + 1);
  }
}
