// A working folder for whole runs of the conversion, with the run's window.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "run/RunProcessing.h"
#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"
#include "textio/Cp1250.h"
#include "textio/Platform.h"

class ConversionRun : public testing::Test {
 protected:
  // Adjustment points equal in both systems: every pair converts to itself.
  void IdentityTransformation() {
    folder.WriteAdjustmentPoints({{"1", 5566000, 7455000, 5566000, 7455000},
                                  {"2", 5566000, 7458000, 5566000, 7458000},
                                  {"3", 5569000, 7458000, 5569000, 7458000},
                                  {"4", 5569000, 7455000, 5569000, 7455000},
                                  {"5", 5567500, 7456500, 5567500, 7456500}});
  }
  void CopyFrom(const std::string& source) {
    for (const auto& entry : std::filesystem::directory_iterator(source)) {
      std::filesystem::copy_file(entry.path(), folder.Native() / entry.path().filename());
    }
  }
  // A map file from UTF-8 lines, stored as Windows-1250 with CR LF.
  void WriteLines(const std::string& name, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
      bytes += textio::Utf8ToCp1250(line) + "\r\n";
    folder.Write(name, bytes);
  }
  void Run() {
    state.files.WorkingFolder = folder.Path();
    state.files.ClearPresence();
    state.files.BuildWorkingFiles();
    RunProcessing(state, window.Request(), window);
  }
  std::vector<std::string> FileLines(const std::string& name) const {
    return Utf8Lines(folder.Read(name));
  }
  std::vector<std::string> Files() const { return folder.Names(); }

  TestFolder folder;
  RecordingWindow window;
  RunState state;
};
