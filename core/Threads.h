// Work shared among the machine's cores: how many threads a pass may use, a loop whose
// index range is cut into one contiguous part per thread, and a team of threads that works
// through chunks of a range while the calling thread does something else. Every part's
// results go to their own places, so the outcome never depends on the number of threads.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The threads a pass uses: `requested` when above 0, else the number of cores. The front
// ends decide the request (ZORNAK_THREADS, an option) and carry it in the run's state.
int ThreadsFor(int requested);

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

class WorkTeam;

// The pipeline of a pass over a file: while the team works on one batch, the calling thread
// writes the batch before it and reads the batch after it; until `more()` says the input is
// done. Three batches rotate, and reading and writing stay on the calling thread and in
// input order.
template <typename Batch, typename More, typename Read, typename Start, typename Write>
void RunBatches(WorkTeam& team, More more, Read read, Start start, Write write);

// threads - 1 helper threads that sleep between jobs. A job is work(begin, end) over chunks
// of [0, count), claimed from a shared counter by the helpers and, in Finish, by the
// calling thread; so the calling thread can read or write between Start and Finish while
// the helpers work ahead. With one thread Finish does the whole job.
class WorkTeam {
 public:
  using Work = std::function<void(std::size_t begin, std::size_t end)>;

  explicit WorkTeam(int threads);
  ~WorkTeam();
  WorkTeam(const WorkTeam&) = delete;
  WorkTeam& operator=(const WorkTeam&) = delete;

  int Threads() const { return static_cast<int>(helpers_.size()) + 1; }
  // Starts a job; returns at once. The previous job must be finished.
  void Start(std::size_t count, std::size_t chunk, Work work);
  // Works on the job's chunks on the calling thread; returns when all are done.
  void Finish();

 private:
  void Claim();
  void Helper();

  Work work_;
  std::size_t count_ = 0, chunk_ = 1;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  unsigned job_ = 0;  // counts jobs, so that each helper takes each job once
  int busy_ = 0;      // helpers still on the current job
  bool stop_ = false;
  std::vector<std::thread> helpers_;
};

template <typename Batch, typename More, typename Read, typename Start, typename Write>
void RunBatches(WorkTeam& team, More more, Read read, Start start, Write write) {
  std::array<Batch, 3> batches;
  if (!more()) return;
  int current = 0;  // the batch the team works on; the one before it waits to be written
  read(batches[current]);
  for (bool first = true;; first = false) {
    start(batches[current]);
    if (!first) write(batches[(current + 2) % 3]);
    const bool next = more();
    if (next) read(batches[(current + 1) % 3]);
    team.Finish();
    if (!next) break;
    current = (current + 1) % 3;
  }
  write(batches[current]);
}
