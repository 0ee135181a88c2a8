// The coordinate pairs of a batch of records: gathered on the reading thread, transformed
// through TransformPoint by a WorkTeam (its helpers, and the reading thread in Finish), read
// back by index when the batch is written. Every pair's result is TransformPoint's,
// whichever thread computes it, so the files do not depend on the number of threads.
#pragma once

#include <cstddef>
#include <vector>

#include "convert/MapFileTask.h"
#include "core/Threads.h"
#include "transform/FittedTransformation.h"
#include "transform/TransformPoint.h"

// The threads of a conversion: the run's choice, else every core.
int ConversionThreads(const ConversionWork& work);

class PairBatch {
 public:
  void Clear() { count_ = 0; }
  std::size_t Count() const { return count_; }
  // Adds the pair (x, y); returns its index.
  std::size_t Add(long double x, long double y);
  // Starts transforming every pair of the batch; the team's Finish completes it.
  void Start(WorkTeam& team, const TFittedTransformation& transformation);
  // The final coordinates Xk, Yk of pair i, once transformed.
  long double X(std::size_t i) const { return out_[2 * i]; }
  long double Y(std::size_t i) const { return out_[2 * i + 1]; }
  // The corrections of the batch, once transformed; the same for any number of threads.
  CorrectionTally Tally() const;

 private:
  std::vector<long double> in_, out_;    // pair i at 2i, 2i+1
  std::vector<CorrectionTally> chunks_;  // one per chunk of pairs, each thread its own
  std::size_t count_ = 0;
};
