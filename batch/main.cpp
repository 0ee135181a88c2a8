#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "batch/BatchRun.h"
#include "textio/Platform.h"

int main(int argc, char** argv) {
  textio::PrepareConsole();
  const std::vector<std::string> arguments = textio::CommandLineArguments(argc, argv);
  std::vector<const char*> utf8;
  for (const std::string& a : arguments)
    utf8.push_back(a.c_str());
  try {
    return RunBatch(static_cast<int>(utf8.size()), utf8.data(), std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "zornak_batch: przetwarzanie przerwane: " << e.what() << '\n';
    return 5;  // the run broke off: its outputs are not all written
  }
}
