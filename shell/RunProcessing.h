// The one processing command: takes the model from the selector texts, runs the
// transformation with local correction, refreshes the presence of the working files and
// converts the map files, reporting through `window`.
#pragma once

#include <array>
#include <string_view>

#include "shell/WindowOperations.h"

// The item lists of the kind selector (ComboBox1) and the degree selector (ComboBox2).
inline constexpr std::array<std::string_view, 2> kKindItems = {"Konforemna", "Ogólna (afin.)"};
inline constexpr std::array<std::string_view, 9> kDegreeItems = {"1", "2", "3", "4", "5",
                                                                 "6", "7", "8", "9"};

// Sets TransformKind and TransformDegree from selector texts equal, whole and in case, to
// an item; a text equal to no item leaves the value as it was.
void TakeModelChoice(std::string_view kindText, std::string_view degreeText);

// Runs on WorkingFolder; BuildWorkingFiles must have run for it.
void RunProcessing(WindowOperations& window);
