// What every fuzz target shares: a working folder of its own with a fitted transformation
// in place (made once per process), a window that stays silent, and a way to put the
// fuzzer's bytes into a file of that folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/MapFileTask.h"
#include "transform/RunTransformation.h"

class SilentWindow : public RunEvents {
 public:
  void ShowStatus(std::string_view) override {}
  void ShowMessage(MessageKind, std::string_view) override {}
  void ShowPanel(int, PanelState) override {}
  void SetCounter(Counter, std::string_view) override {}
};

// The state of the fuzzing process: its folder, its fit and the conversion's tables.
struct FuzzRun {
  WorkingFileTable files;
  TransformationState transformation;
  ConversionTables tables;
  // Two threads and batches of a few pairs: every input crosses batch boundaries.
  ConversionWork work{2, 3};
  SilentWindow window;
};

// The run (its folder made and fitted on the first call).
FuzzRun& Fuzz();
// The context a map-file task runs in.
TaskContext FuzzContext();
// Writes the bytes as the named file of the folder.
void WriteFuzzFile(const std::string& name, const std::uint8_t* data, std::size_t size);
