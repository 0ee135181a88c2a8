// Evaluation of a fitted model at one point, with the Hausbrandt correction.
#include "trk/Correction.h"
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

  // The weights 1/d^2 run over every adjustment point, from the layout that the fit left in
  // w when it is there.
  const std::int32_t count = (*m < 0) ? 0 : (*m > TRK_MAX_POINTS ? TRK_MAX_POINTS : *m);
  const std::int32_t u = TrkUnknowns(kind, *n);
  const bool laidOut =
      *n >= 1 && *n <= TRK_MAX_DEGREE && count > 0 && w[TrkHausbrandtIndex(u)] == count;
  const trk::CorrectionPoints points{
      count, laidOut ? w + TrkHausbrandtIndex(u) + 1 : nullptr, x2, y2, vx, vy};
  const trk::CorrectionSums sums = trk::SumWeights(modelX, modelY, points);
  trk::ApplyCorrection(modelX, modelY, sums, points, dx, dy, Xk, Yk);
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
