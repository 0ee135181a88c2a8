// The Hausbrandt correction at a model position: the residuals of the adjustment points
// weighted by 1/d^2, d measured between model positions (guideline G-1.10). Shared by the
// library's evaluation entry points and the C++ face, so both give the same bits.
#pragma once

#include <cfloat>
#include <cstdint>

#include "trk/trk.h"

namespace trk {

struct CorrectionSums {
  long double p = 0, px = 0, py = 0;  // sum of 1/d^2, and of vx/d^2, vy/d^2
  // The nearest adjustment point (the first of equals) and its d^2; 0 when there is none.
  std::int32_t nearest = 0;
  long double nearestD2 = LDBL_MAX;
};

// Each adjustment point as four reals side by side: model position x, y, residuals vx, vy.
CorrectionSums PackedSums(long double X, long double Y, std::int32_t count, const trk_real* point);
// The same from the four arrays (indices 1..count), the model position as x2 - vx, y2 - vy.
CorrectionSums ArraySums(long double X, long double Y, std::int32_t count, const trk_real* x2,
                         const trk_real* y2, const trk_real* vx, const trk_real* vy);

// dx, dy, Xk, Yk at model position (X, Y) from the sums. A point closer than rounding
// noise to the model position of adjustment point i is that point: it takes its residuals,
// and so exactly its secondary coordinates (the nearest such point, found with the sums).
void ApplyCorrection(long double X, long double Y, const CorrectionSums& sums, const trk_real* x2,
                     const trk_real* y2, const trk_real* vx, const trk_real* vy, trk_real* dx,
                     trk_real* dy, trk_real* Xk, trk_real* Yk);

}  // namespace trk
