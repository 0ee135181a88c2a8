// Transforms batches of coordinate pairs through TransformPoint, shared between the calling
// thread and, when two threads are allowed, one helper thread. Pairs are claimed in small
// chunks from a shared counter, so each thread takes what it can; every pair's result is
// TransformPoint's, whichever thread computes it, so the output does not depend on the
// number of threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

#include "transform/FittedTransformation.h"

// The number of threads a conversion may use: ZORNAK_THREADS when set (1 or 2), else 2 on a
// machine with two or more cores.
int ConversionThreads();

class PairWorker {
 public:
  PairWorker(const TFittedTransformation& transformation, int threads);
  ~PairWorker();
  PairWorker(const PairWorker&) = delete;
  PairWorker& operator=(const PairWorker&) = delete;

  // Starts on pairs (in[2i], in[2i+1]) -> (out[2i], out[2i+1]), i < n: the final
  // coordinates Xk, Yk. Returns at once when a helper thread runs.
  void Start(const long double* in, long double* out, std::size_t n);
  // Transforms what is left on the calling thread; returns when every pair is done.
  void Finish();

 private:
  void Claim();
  void Helper();

  const TFittedTransformation& transformation_;
  const long double* in_ = nullptr;
  long double* out_ = nullptr;
  std::size_t n_ = 0;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  bool work_ = false, stop_ = false;
  std::thread helper_;
};
