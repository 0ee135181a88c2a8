// The transformation with local correction of one run: reads TRANSPKT.BIN of `folder`,
// forms the primary and secondary sets, reports and drops repeated numbers, matches the
// sets by number, fits the model of TransformKind / TransformDegree through libtrk,
// computes the accuracy figures and writes the report files. Leaves its result in
// FittedTransformation. A read failure shows its message box through `window`.
#pragma once

#include <string>

class WindowOperations;

void RunTransformation(const std::string& folder, WindowOperations& window);
