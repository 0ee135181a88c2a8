// Evaluation of a fitted model at one point, with the Hausbrandt correction: the residuals
// of all adjustment points, weighted by 1/d^2 (guideline G-1.10).
#include <cfloat>
#include <cmath>

#include "trk/Model.h"
#include "trk/trk.h"

namespace {

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

  // A point closer than rounding noise to the model position of adjustment point i is that
  // point: it takes its residuals, and so exactly its secondary coordinates.
  const long double noise = 4 * LDBL_EPSILON * (std::fabs(modelX) + std::fabs(modelY));
  const long double coincident = noise * noise;
  const std::int32_t count = (*m < 0) ? 0 : (*m > TRK_MAX_POINTS ? TRK_MAX_POINTS : *m);
  long double sumP = 0, sumPX = 0, sumPY = 0;
  for (std::int32_t i = 1; i <= count; ++i) {
    const long double ex = modelX - (x2[i] - vx[i]);
    const long double ey = modelY - (y2[i] - vy[i]);
    const long double d2 = ex * ex + ey * ey;
    if (d2 <= coincident) {
      *dx = vx[i];
      *dy = vy[i];
      *Xk = x2[i];
      *Yk = y2[i];
      return;
    }
    const long double p = 1 / d2;
    sumP += p;
    sumPX += p * vx[i];
    sumPY += p * vy[i];
  }
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
