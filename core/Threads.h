// Work shared among the machine's cores: how many threads a pass may use, and a loop whose
// index range is cut into one contiguous part per thread. Every part's results go to their
// own places, so the outcome never depends on the number of threads.
#pragma once

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

// ZORNAK_THREADS when set (at least 1), else the number of cores.
int WorkerThreads();

// Calls work(begin, end) on parts of [0, count), at most `threads` at once; parts smaller
// than `minimum` are not worth a thread. Returns when every part is done.
template <typename Work>
void ParallelFor(std::size_t count, int threads, std::size_t minimum, Work work) {
  const std::size_t parts = std::max<std::size_t>(
      1, std::min<std::size_t>(threads, count / std::max<std::size_t>(minimum, 1)));
  if (parts <= 1) {
    work(std::size_t{0}, count);
    return;
  }
  std::vector<std::thread> helpers;
  const std::size_t step = (count + parts - 1) / parts;
  for (std::size_t p = 1; p < parts; ++p) {
    const std::size_t begin = std::min(count, p * step), end = std::min(count, begin + step);
    helpers.emplace_back([&work, begin, end] { work(begin, end); });
  }
  work(std::size_t{0}, std::min(count, step));
  for (std::thread& helper : helpers)
    helper.join();
}
