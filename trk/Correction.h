// The Hausbrandt correction at a model position: the residuals of the adjustment points
// weighted by 1/d^2, d measured between model positions (guideline G-1.10). Shared by the
// library's evaluation entry points and the C++ face, so both give the same bits.
#pragma once

#include <cstdint>

#include "trk/trk.h"

namespace trk {

struct CorrectionSums {
  long double p = 0, px = 0, py = 0;  // sum of 1/d^2, and of vx/d^2, vy/d^2
};

// The adjustment points 1..count: the four arrays x2, y2, vx, vy, and, where the caller
// keeps it, the same packed four reals a point side by side (x2-vx, y2-vy, vx, vy), which
// the sums then read instead of forming the model position x2 - vx, y2 - vy.
struct CorrectionPoints {
  std::int32_t count = 0;
  const trk_real* packed = nullptr;
  const trk_real *x2 = nullptr, *y2 = nullptr, *vx = nullptr, *vy = nullptr;
};

// The sums over every point. One division a term and nothing else: this loop is the cost
// of every converted coordinate pair.
CorrectionSums SumWeights(long double X, long double Y, const CorrectionPoints& points);

// dx, dy, Xk, Yk at model position (X, Y) from the sums. A point closer than rounding
// noise to the model position of adjustment point i is that point: it takes its residuals,
// and so exactly its secondary coordinates (of equally near points the first). Such a
// point makes the weight sum pass 1/noise^2, and only then is the nearest point sought.
void ApplyCorrection(long double X, long double Y, const CorrectionSums& sums,
                     const CorrectionPoints& points, trk_real* dx, trk_real* dy, trk_real* Xk,
                     trk_real* Yk);

}  // namespace trk
