// The batch program called in the test's own process, and a shell command's output: what
// the tests of the command line, the county, the GIS files and the pipelines share.
#pragma once

#include <string>
#include <vector>

struct BatchResult {
  int status;
  std::string out, err;
};

// zornak_batch with `args` (the program name is put before them).
BatchResult Batch(std::vector<std::string> args);

// The standard output of a shell command (empty where there is no POSIX shell).
std::string CommandOutput(const std::string& command);
