#include "trk/Correction.h"

#include <cfloat>
#include <cmath>

namespace trk {

namespace {

struct Nearest {
  std::int32_t index = 0;  // 0 when there is no point
  long double d2 = LDBL_MAX;
};

// The first point of least d^2 from (X, Y).
Nearest FindNearest(long double X, long double Y, const CorrectionPoints& points) {
  Nearest n;
  for (std::int32_t i = 1; i <= points.count; ++i) {
    long double ex, ey;
    if (points.packed) {
      const trk_real* point = points.packed + 4 * static_cast<std::size_t>(i - 1);
      ex = X - point[0];
      ey = Y - point[1];
    } else {
      ex = X - (points.x2[i] - points.vx[i]);
      ey = Y - (points.y2[i] - points.vy[i]);
    }
    const long double d2 = ex * ex + ey * ey;
    if (d2 < n.d2) n = {i, d2};
  }
  return n;
}

// p = 1/d^2 with d^2 = ex^2 + ey^2; sums p, p vx, p vy.
inline void AddTerm(CorrectionSums& s, long double ex, long double ey, long double vx,
                    long double vy) {
  const long double p = 1 / (ex * ex + ey * ey);
  s.p += p;
  s.px += p * vx;
  s.py += p * vy;
}

}  // namespace

CorrectionSums SumWeights(long double X, long double Y, const CorrectionPoints& points) {
  CorrectionSums s;
  if (points.packed) {
    const trk_real* point = points.packed;
    for (std::int32_t i = 1; i <= points.count; ++i, point += 4)
      AddTerm(s, X - point[0], Y - point[1], point[2], point[3]);
    return s;
  }
  const trk_real *x2 = points.x2, *y2 = points.y2, *vx = points.vx, *vy = points.vy;
  for (std::int32_t i = 1; i <= points.count; ++i)
    AddTerm(s, X - (x2[i] - vx[i]), Y - (y2[i] - vy[i]), vx[i], vy[i]);
  return s;
}

void ApplyCorrection(long double X, long double Y, const CorrectionSums& sums,
                     const CorrectionPoints& points, trk_real* dx, trk_real* dy, trk_real* Xk,
                     trk_real* Yk) {
  const long double noise = 4 * LDBL_EPSILON * (std::fabs(X) + std::fabs(Y));
  if (sums.p >= 1 / (noise * noise)) {
    const Nearest n = FindNearest(X, Y, points);
    if (n.index > 0 && n.d2 <= noise * noise) {
      const std::int32_t i = n.index;
      *dx = points.vx[i];
      *dy = points.vy[i];
      *Xk = points.x2[i];
      *Yk = points.y2[i];
      return;
    }
  }
  *dx = sums.p > 0 ? sums.px / sums.p : 0;
  *dy = sums.p > 0 ? sums.py / sums.p : 0;
  *Xk = X + *dx;
  *Yk = Y + *dy;
}

}  // namespace trk
