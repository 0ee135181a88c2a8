// Evaluation of a fitted model at one point, with the Hausbrandt correction: the residuals
// of all adjustment points, weighted by 1/d^2 (guideline G-1.10).
#include <cfloat>
#include <cmath>

#include "trk/Model.h"
#include "trk/trk.h"

namespace {

struct Sums {
  long double p = 0, px = 0, py = 0;  // sum of 1/d^2, and of vx/d^2, vy/d^2
};

// Each adjustment point as four reals: model position x, y, residuals vx, vy.
Sums PackedSums(long double X, long double Y, std::int32_t count, const trk_real* point) {
  Sums s;
  for (const trk_real* end = point + 4 * count; point != end; point += 4) {
    const long double ex = X - point[0], ey = Y - point[1];
    const long double p = 1 / (ex * ex + ey * ey);
    s.p += p;
    s.px += p * point[2];
    s.py += p * point[3];
  }
  return s;
}

Sums ArraySums(long double X, long double Y, std::int32_t count, const trk_real* x2,
               const trk_real* y2, const trk_real* vx, const trk_real* vy) {
  Sums s;
  for (std::int32_t i = 1; i <= count; ++i) {
    const long double ex = X - (x2[i] - vx[i]), ey = Y - (y2[i] - vy[i]);
    const long double p = 1 / (ex * ex + ey * ey);
    s.p += p;
    s.px += p * vx[i];
    s.py += p * vy[i];
  }
  return s;
}

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

void Evaluate(std::int32_t kind, const trk_real* x, const trk_real* y, trk_real* X, trk_real* Y,
              trk_real* Xk, trk_real* Yk, const std::int32_t* m, const std::int32_t* n,
              const trk_real* skala, const trk_real* xo, const trk_real* yo, const trk_real* Xo,
              const trk_real* Yo, const trk_real* x2, const trk_real* y2, const trk_real* vx,
              const trk_real* vy, const trk_real* w, trk_real* dx, trk_real* dy) {
  long double dX = 0, dY = 0;
  if (*n >= 1 && *n <= TRK_MAX_DEGREE) {
    trk::ModelValue(kind, *n, w + 2, (*x - *xo) * *skala, (*y - *yo) * *skala, dX, dY);
  }
  const long double modelX = *Xo + dX, modelY = *Yo + dY;
  *X = modelX;
  *Y = modelY;

  // The weights 1/d^2 run over every adjustment point, from the layout that the fit left in
  // w when it is there. A point closer than rounding noise to the model position of
  // adjustment point i is that point: it takes its residuals, and so exactly its secondary
  // coordinates. Such a point drives the sum of weights past 1/noise^2, so the search for it
  // stays out of the loop.
  const std::int32_t count = (*m < 0) ? 0 : (*m > TRK_MAX_POINTS ? TRK_MAX_POINTS : *m);
  const std::int32_t u = TrkUnknowns(kind, *n);
  const bool laidOut =
      *n >= 1 && *n <= TRK_MAX_DEGREE && count > 0 && w[TrkHausbrandtIndex(u)] == count;
  const Sums sums = laidOut ? PackedSums(modelX, modelY, count, w + TrkHausbrandtIndex(u) + 1)
                            : ArraySums(modelX, modelY, count, x2, y2, vx, vy);
  const long double noise = 4 * LDBL_EPSILON * (std::fabs(modelX) + std::fabs(modelY));
  if (sums.p >= 1 / (noise * noise)) {
    if (const std::int32_t i = Coincident(modelX, modelY, noise, count, x2, y2, vx, vy)) {
      *dx = vx[i];
      *dy = vy[i];
      *Xk = x2[i];
      *Yk = y2[i];
      return;
    }
  }
  const long double sumP = sums.p, sumPX = sums.px, sumPY = sums.py;
  *dx = sumP > 0 ? sumPX / sumP : 0;
  *dy = sumP > 0 ? sumPY / sumP : 0;
  *Xk = modelX + *dx;
  *Yk = modelY + *dy;
}

}  // namespace

extern "C" {

void transkpf(const trk_real* x, const trk_real* y, trk_real* X, trk_real* Y, trk_real* Xk,
              trk_real* Yk, const std::int32_t* m, const std::int32_t* n, const trk_real* skala,
              const trk_real* xo, const trk_real* yo, const trk_real* Xo, const trk_real* Yo,
              const trk_array x2, const trk_array y2, const trk_array vx, const trk_array vy,
              const trk_array w, trk_real* dx, trk_real* dy) {
  Evaluate(1, x, y, X, Y, Xk, Yk, m, n, skala, xo, yo, Xo, Yo, x2, y2, vx, vy, w, dx, dy);
}

void transapf(const trk_real* x, const trk_real* y, trk_real* X, trk_real* Y, trk_real* Xk,
              trk_real* Yk, const std::int32_t* m, const std::int32_t* n, const trk_real* skala,
              const trk_real* xo, const trk_real* yo, const trk_real* Xo, const trk_real* Yo,
              const trk_array x2, const trk_array y2, const trk_array vx, const trk_array vy,
              const trk_array w, trk_real* dx, trk_real* dy) {
  Evaluate(2, x, y, X, Y, Xk, Yk, m, n, skala, xo, yo, Xo, Yo, x2, y2, vx, vy, w, dx, dy);
}
}
