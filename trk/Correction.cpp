#include "trk/Correction.h"

#include <cfloat>
#include <cmath>

namespace trk {

namespace {

// One adjustment point's terms; d2 is its squared distance, kept for the nearest point.
inline void AddTerm(CorrectionSums& s, std::int32_t i, long double ex, long double ey,
                    long double vx, long double vy) {
  const long double d2 = ex * ex + ey * ey;
  const long double p = 1 / d2;
  s.p += p;
  s.px += p * vx;
  s.py += p * vy;
  if (d2 < s.nearestD2) {
    s.nearestD2 = d2;
    s.nearest = i;
  }
}

}  // namespace

CorrectionSums PackedSums(long double X, long double Y, std::int32_t count, const trk_real* point) {
  CorrectionSums s;
  for (std::int32_t i = 1; i <= count; ++i, point += 4)
    AddTerm(s, i, X - point[0], Y - point[1], point[2], point[3]);
  return s;
}

CorrectionSums ArraySums(long double X, long double Y, std::int32_t count, const trk_real* x2,
                         const trk_real* y2, const trk_real* vx, const trk_real* vy) {
  CorrectionSums s;
  for (std::int32_t i = 1; i <= count; ++i)
    AddTerm(s, i, X - (x2[i] - vx[i]), Y - (y2[i] - vy[i]), vx[i], vy[i]);
  return s;
}

void ApplyCorrection(long double X, long double Y, const CorrectionSums& sums, const trk_real* x2,
                     const trk_real* y2, const trk_real* vx, const trk_real* vy, trk_real* dx,
                     trk_real* dy, trk_real* Xk, trk_real* Yk) {
  const long double noise = 4 * LDBL_EPSILON * (std::fabs(X) + std::fabs(Y));
  if (sums.p >= 1 / (noise * noise) && sums.nearest > 0 && sums.nearestD2 <= noise * noise) {
    const std::int32_t i = sums.nearest;
    *dx = vx[i];
    *dy = vy[i];
    *Xk = x2[i];
    *Yk = y2[i];
    return;
  }
  *dx = sums.p > 0 ? sums.px / sums.p : 0;
  *dy = sums.p > 0 ? sums.py / sums.p : 0;
  *Xk = X + *dx;
  *Yk = Y + *dy;
}

}  // namespace trk
