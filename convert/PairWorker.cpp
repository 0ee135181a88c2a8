#include "convert/PairWorker.h"

#include <cstdlib>

#include "transform/TransformPoint.h"

namespace {

constexpr std::size_t kChunk = 64;

}  // namespace

int ConversionThreads() {
  if (const char* text = std::getenv("ZORNAK_THREADS")) return std::atoi(text) >= 2 ? 2 : 1;
  return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

PairWorker::PairWorker(const TFittedTransformation& transformation, int threads)
    : transformation_(transformation) {
  if (threads >= 2) helper_ = std::thread([this] { Helper(); });
}

PairWorker::~PairWorker() {
  if (!helper_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  helper_.join();
}

void PairWorker::Start(const long double* in, long double* out, std::size_t n) {
  in_ = in;
  out_ = out;
  n_ = n;
  next_.store(0);
  if (!helper_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    work_ = true;
  }
  wake_.notify_one();
}

void PairWorker::Claim() {
  TransformedPoint t;
  for (;;) {
    const std::size_t first = next_.fetch_add(kChunk);
    if (first >= n_) return;
    const std::size_t last = first + kChunk < n_ ? first + kChunk : n_;
    for (std::size_t i = first; i < last; ++i) {
      TransformPoint(transformation_, in_[2 * i], in_[2 * i + 1], t);
      out_[2 * i] = t.Xk;
      out_[2 * i + 1] = t.Yk;
    }
  }
}

void PairWorker::Finish() {
  Claim();
  if (!helper_.joinable()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return !work_; });
}

void PairWorker::Helper() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return work_ || stop_; });
    if (stop_) return;
    lock.unlock();
    Claim();
    lock.lock();
    work_ = false;
    done_.notify_one();
  }
}
