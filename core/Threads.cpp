#include "core/Threads.h"

int ThreadsFor(int requested) {
  if (requested > 0) return requested;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

WorkTeam::WorkTeam(int threads) {
  for (int k = 1; k < threads; ++k)
    helpers_.emplace_back([this] { Helper(); });
}

WorkTeam::~WorkTeam() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (std::thread& helper : helpers_)
    helper.join();
}

void WorkTeam::Start(std::size_t count, std::size_t chunk, Work work) {
  work_ = std::move(work);
  count_ = count;
  chunk_ = std::max<std::size_t>(chunk, 1);
  next_.store(0);
  if (helpers_.empty()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++job_;
    busy_ = static_cast<int>(helpers_.size());
  }
  wake_.notify_all();
}

void WorkTeam::Claim() {
  for (;;) {
    const std::size_t begin = next_.fetch_add(chunk_);
    if (begin >= count_) return;
    work_(begin, std::min(count_, begin + chunk_));
  }
}

void WorkTeam::Finish() {
  Claim();
  if (helpers_.empty()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return busy_ == 0; });
}

void WorkTeam::Helper() {
  unsigned seen = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return job_ != seen || stop_; });
    if (stop_) return;
    seen = job_;
    lock.unlock();
    Claim();
    lock.lock();
    if (--busy_ == 0) done_.notify_one();
  }
}
