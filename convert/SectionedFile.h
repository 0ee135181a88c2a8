// The common pass of the layer and object files: sections opened by section lines, records
// of kinds 1 and 2 rewritten with transformed positions, every other line copied, records
// with unreadable position words reported in the protocol and left out.
#pragma once

#include <string>
#include <string_view>

#include "convert/SplitWords.h"
#include "textio/TextFile.h"

struct SectionState {
  int kind = 0;          // 0 before the first section line, then 1..4
  bool layoutB = false;  // layer file only: set by the codes 249 and 151
};

struct SectionedFormat {
  // True when the split line is a section line; it then updates `state`.
  bool (*sectionLine)(const SplitLine& words, SectionState& state);
  // The converted record of section kind 1 or 2 into `out`; false when a position word
  // does not read as a number.
  bool (*record)(const SplitLine& words, const SectionState& state, std::string& out);
};

struct SectionedCounts {
  int lines = 0;    // every line read
  int records = 0;  // records of kinds 1 and 2 converted
};

// Reads `input` to its end (at least one line, also when it is empty), writing the
// converted lines and the protocol's error lines. The caller writes the protocol's first
// and last lines.
SectionedCounts ConvertSections(const SectionedFormat& format, const std::string& input,
                                textio::TextFileWriter& converted,
                                textio::TextFileWriter& protocol);

// Word forms of both files.
bool WordNumber(std::string_view word, long double& value);
// fixed(10,2)
void AppendCoordinate(std::string& out, long double value);
// The closing lines of both protocols.
void WriteSectionTotals(const SectionedCounts& counts, textio::TextFileWriter& protocol);
