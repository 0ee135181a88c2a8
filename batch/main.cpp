#include <exception>
#include <iostream>

#include "batch/BatchRun.h"

int main(int argc, char** argv) {
  try {
    return RunBatch(argc, argv, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "zornak_batch: przetwarzanie przerwane: " << e.what() << '\n';
    return 5;  // the run broke off: its outputs are not all written
  }
}
