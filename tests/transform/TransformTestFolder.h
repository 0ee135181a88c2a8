// A working folder for one transformation run, with the run's window and report lines.
#pragma once

#include <gtest/gtest.h>

#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"
#include "transform/RunTransformation.h"

class TransformRun : public testing::Test {
 protected:
  void Run(int kind = 1, int degree = 1) {
    RunTransformation({kind, degree, 4}, folder.Path(), window, state);
  }
  const TFittedTransformation& Fitted() const { return state.Result().FittedTransformation; }
  std::vector<std::string> FileLines(const std::string& name) const {
    return Utf8Lines(folder.Read(name));
  }
  // Lines of the report that start with `prefix`.
  std::vector<std::string> ReportLines(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : FileLines("Protokol.tra")) {
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
  }

  TestFolder folder;
  RecordingWindow window;
  TransformationState state;
};
