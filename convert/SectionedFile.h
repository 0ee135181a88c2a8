// The common pass of the layer and object files: sections opened by section lines, records
// of kinds 1 and 2 rewritten with transformed positions, every other line copied, records
// with unreadable position words reported in the protocol and left out.
#pragma once

#include <string>
#include <string_view>

#include "convert/SplitWords.h"
#include "shell/WindowOperations.h"

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
  int input, converted, protocol;  // working file slots
  bool markInput;                  // the objects task also marks its input's panel
  const char* title;               // the protocol's first line
  const char* status;              // shown when the task starts
  bool statusFirst;                // shown before the files are opened, else after the title
  CounterField counter;            // receives the number of converted records
};

// Runs the task to the end of its input (at least one line, also when it is empty) and
// returns the number of converted records.
int RunSectionedTask(const SectionedFormat& format, WindowOperations& window);

// Word forms of both files.
bool WordNumber(std::string_view word, long double& value);
// fixed(10,2)
void AppendCoordinate(std::string& out, long double value);
