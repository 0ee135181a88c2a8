// One primary point into the secondary system: the fitted model and its Hausbrandt
// correction, through libtrk. Reads `f` only; allocates nothing; the same point always
// gives the same result, on any thread.
#pragma once

#include <cmath>
#include <cstdint>

#include "transform/FittedTransformation.h"

using TransformedPoint = trk::TransformedPoint;

// The correction runs over the adjustment points 1..ls; the listing's check points after
// them (points without a partner, points left out of the fit) carry no residuals.
inline void TransformPoint(const TFittedTransformation& f, long double x, long double y,
                           TransformedPoint& result) {
  f.model.Evaluate(x, y, f.ls, result);
}

// The lengths of the Hausbrandt corrections over points transformed: how many, their sum and
// the largest. Tallies of parts add up in any order to the same count and largest; sums
// are added in the order of the parts.
struct CorrectionTally {
  std::int64_t count = 0;
  long double sum = 0, largest = 0;

  // A correction is centimetres: sqrt of the sum of squares needs none of hypot's scaling,
  // which would cost more than the sum itself on every pair of the map.
  void Add(const TransformedPoint& t) {
    const long double length = std::sqrt(t.dx * t.dx + t.dy * t.dy);
    ++count;
    sum += length;
    if (length > largest) largest = length;
  }
  void Merge(const CorrectionTally& other) {
    count += other.count;
    sum += other.sum;
    if (other.largest > largest) largest = other.largest;
  }
  long double Mean() const { return count > 0 ? sum / static_cast<long double>(count) : 0; }
};
