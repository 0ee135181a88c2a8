// One primary point into the secondary system: the fitted model and its Hausbrandt
// correction, through libtrk. Reads `f` only; allocates nothing; the same point always
// gives the same result, on any thread.
#pragma once

#include "transform/FittedTransformation.h"

using TransformedPoint = trk::TransformedPoint;

// The correction runs over the adjustment points 1..ls; the listing's check points after
// them (points without a partner, points left out of the fit) carry no residuals.
inline void TransformPoint(const TFittedTransformation& f, long double x, long double y,
                           TransformedPoint& result) {
  f.model.Evaluate(x, y, f.ls, result);
}
