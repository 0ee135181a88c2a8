#include "tests/BatchCall.h"

#include <cstdio>
#include <sstream>

#include "batch/BatchRun.h"

BatchResult Batch(std::vector<std::string> args) {
  args.insert(args.begin(), "zornak_batch");
  std::vector<const char*> argv;
  for (const std::string& a : args)
    argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = RunBatch(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

std::string CommandOutput(const std::string& command) {
  std::string text;
#ifndef _WIN32
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      text.append(buffer, n);
    ::pclose(pipe);
  }
#else
  (void)command;
#endif
  return text;
}
