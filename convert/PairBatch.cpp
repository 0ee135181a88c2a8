#include "convert/PairBatch.h"

#include "transform/TransformPoint.h"

namespace {

constexpr std::size_t kChunk = 64;  // pairs a thread claims at a time

}  // namespace

int ConversionThreads(const ConversionWork& work) {
  return ThreadsFor(work.threads);
}

std::size_t PairBatch::Add(long double x, long double y) {
  if (in_.size() < 2 * count_ + 2) {
    in_.resize(2 * count_ + 2 + in_.size());
    out_.resize(in_.size());
  }
  in_[2 * count_] = x;
  in_[2 * count_ + 1] = y;
  return count_++;
}

void PairBatch::Start(WorkTeam& team, const TFittedTransformation& transformation) {
  chunks_.assign((count_ + kChunk - 1) / kChunk, CorrectionTally{});
  team.Start(count_, kChunk, [this, &transformation](std::size_t begin, std::size_t end) {
    TransformedPoint t;
    CorrectionTally& tally = chunks_[begin / kChunk];
    for (std::size_t i = begin; i < end; ++i) {
      TransformPoint(transformation, in_[2 * i], in_[2 * i + 1], t);
      out_[2 * i] = t.Xk;
      out_[2 * i + 1] = t.Yk;
      tally.Add(t);
    }
  });
}

CorrectionTally PairBatch::Tally() const {
  CorrectionTally all;
  for (const CorrectionTally& chunk : chunks_)
    all.Merge(chunk);
  return all;
}
