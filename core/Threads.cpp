#include "core/Threads.h"

#include <cstdlib>

int WorkerThreads() {
  if (const char* text = std::getenv("ZORNAK_THREADS")) return std::max(1, std::atoi(text));
  return std::max(1u, std::thread::hardware_concurrency());
}
