#include "trk/Correction.h"

#include <cfloat>
#include <cmath>

namespace trk {

CorrectionSums PackedSums(long double X, long double Y, std::int32_t count, const trk_real* point) {
  CorrectionSums s;
  for (const trk_real* end = point + 4 * count; point != end; point += 4) {
    const long double ex = X - point[0], ey = Y - point[1];
    const long double p = 1 / (ex * ex + ey * ey);
    s.p += p;
    s.px += p * point[2];
    s.py += p * point[3];
  }
  return s;
}

CorrectionSums ArraySums(long double X, long double Y, std::int32_t count, const trk_real* x2,
                         const trk_real* y2, const trk_real* vx, const trk_real* vy) {
  CorrectionSums s;
  for (std::int32_t i = 1; i <= count; ++i) {
    const long double ex = X - (x2[i] - vx[i]), ey = Y - (y2[i] - vy[i]);
    const long double p = 1 / (ex * ex + ey * ey);
    s.p += p;
    s.px += p * vx[i];
    s.py += p * vy[i];
  }
  return s;
}

namespace {

// The nearest adjustment point whose model position lies within `noise` of (X, Y), or 0.
std::int32_t Coincident(long double X, long double Y, long double noise, std::int32_t count,
                        const trk_real* x2, const trk_real* y2, const trk_real* vx,
                        const trk_real* vy) {
  long double nearest = noise * noise;
  std::int32_t found = 0;
  for (std::int32_t i = 1; i <= count; ++i) {
    const long double ex = X - (x2[i] - vx[i]), ey = Y - (y2[i] - vy[i]);
    const long double d2 = ex * ex + ey * ey;
    if (d2 < nearest || (found == 0 && d2 <= nearest)) {
      nearest = d2;
      found = i;
    }
  }
  return found;
}

}  // namespace

void ApplyCorrection(long double X, long double Y, const CorrectionSums& sums, std::int32_t count,
                     const trk_real* x2, const trk_real* y2, const trk_real* vx, const trk_real* vy,
                     trk_real* dx, trk_real* dy, trk_real* Xk, trk_real* Yk) {
  const long double noise = 4 * LDBL_EPSILON * (std::fabs(X) + std::fabs(Y));
  if (sums.p >= 1 / (noise * noise)) {
    if (const std::int32_t i = Coincident(X, Y, noise, count, x2, y2, vx, vy)) {
      *dx = vx[i];
      *dy = vy[i];
      *Xk = x2[i];
      *Yk = y2[i];
      return;
    }
  }
  *dx = sums.p > 0 ? sums.px / sums.p : 0;
  *dy = sums.p > 0 ? sums.py / sums.p : 0;
  *Xk = X + *dx;
  *Yk = Y + *dy;
}

}  // namespace trk
