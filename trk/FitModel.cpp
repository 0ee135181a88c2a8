// Fit of the conformal and general models: centroids, normalising scale, least squares in
// normalised coordinates, residuals and cofactors into the caller's arrays.
#include "trk/FitModel.h"

#include <cmath>

#include "trk/GivensLeastSquares.h"
#include "trk/Model.h"

namespace {

struct Centring {
  long double skala, xo, yo, Xo, Yo;
};

Centring CentreAndScale(std::int32_t m, const trk_real* x1, const trk_real* y1, const trk_real* x2,
                        const trk_real* y2) {
  long double sx = 0, sy = 0, sX = 0, sY = 0;
  for (std::int32_t i = 1; i <= m; ++i) {
    sx += x1[i];
    sy += y1[i];
    sX += x2[i];
    sY += y2[i];
  }
  Centring c{1, sx / m, sy / m, sX / m, sY / m};
  long double reach = 0;  // largest |x-xo| or |y-yo|: u and v then lie in [-1, 1]
  for (std::int32_t i = 1; i <= m; ++i) {
    reach = std::fmax(reach, std::fmax(std::fabs(x1[i] - c.xo), std::fabs(y1[i] - c.yo)));
  }
  if (reach > 0) c.skala = 1 / reach;
  return c;
}

// The correction's inner loop reads each adjustment point's model position and residuals
// side by side; the fit lays them out once in w, past the positions of the solution.
void LayOutForCorrection(std::int32_t u, std::int32_t m, const trk_real* x2, const trk_real* y2,
                         const trk_real* vx, const trk_real* vy, trk_real* w) {
  const std::int32_t base = TrkHausbrandtIndex(u);
  w[base] = m <= TrkHausbrandtCapacity(u) ? m : 0;
  if (w[base] == 0) return;
  trk_real* point = w + base + 1;
  for (std::int32_t i = 1; i <= m; ++i, point += 4) {
    point[0] = x2[i] - vx[i];
    point[1] = y2[i] - vy[i];
    point[2] = vx[i];
    point[3] = vy[i];
  }
}

}  // namespace

namespace trk {

void FitModel(std::int32_t kind, const std::int32_t* n, const std::int32_t* m, const trk_real* x1,
              const trk_real* y1, const trk_real* x2, const trk_real* y2, trk_real* vx,
              trk_real* vy, trk_real* w, trk_real* skala, trk_real* xo, trk_real* yo, trk_real* Xo,
              trk_real* Yo, std::int32_t* status, bool layOut) {
  *status = 1;
  if (*n < 1 || *n > TRK_MAX_DEGREE || *m < 1 || *m > TRK_MAX_POINTS) return;
  const std::int32_t u = TrkUnknowns(kind, *n);
  if (2 * *m < u) return;

  const Centring c = CentreAndScale(*m, x1, y1, x2, y2);
  trk::GivensLeastSquares ls(u);
  trk::DesignRows rows;
  for (std::int32_t i = 1; i <= *m; ++i) {
    trk::BuildDesignRows(kind, *n, (x1[i] - c.xo) * c.skala, (y1[i] - c.yo) * c.skala, rows);
    ls.Add(rows.x, rows.xBegin, rows.xEnd, x2[i] - c.Xo);
    ls.Add(rows.y, rows.yBegin, rows.yEnd, y2[i] - c.Yo);
  }
  long double coefficients[trk::kMaxUnknowns];
  long double cofactors[trk::kMaxUnknowns];
  if (!ls.Solve(coefficients)) return;
  ls.CofactorDiagonal(cofactors);

  for (std::int32_t k = 1; k <= TrkFirstCofactorIndex(u); ++k)
    w[k] = 0;
  for (std::int32_t k = 1; k <= u; ++k)
    w[k + 1] = coefficients[k - 1];
  for (std::int32_t k = 2; k <= u; ++k)
    w[TrkCofactorIndex(u, k)] = cofactors[k - 1];
  w[TrkFirstCofactorIndex(u)] = cofactors[0];

  // Residuals v = secondary - model, from the coefficients as stored, as the evaluation
  // computes the model. x2 - Xo is exact (both lie within a factor of two of each other),
  // so v keeps the precision of the small numbers rather than of the coordinates.
  long double vv = 0;
  for (std::int32_t i = 1; i <= *m; ++i) {
    long double dX, dY;
    trk::ModelValue(kind, *n, w + 2, (x1[i] - c.xo) * c.skala, (y1[i] - c.yo) * c.skala, dX, dY);
    vx[i] = (x2[i] - c.Xo) - dX;
    vy[i] = (y2[i] - c.Yo) - dY;
    vv += vx[i] * vx[i] + vy[i] * vy[i];
  }
  w[1] = vv;
  if (layOut) LayOutForCorrection(u, *m, x2, y2, vx, vy, w);
  *skala = c.skala;
  *xo = c.xo;
  *yo = c.yo;
  *Xo = c.Xo;
  *Yo = c.Yo;
  *status = 0;
}

}  // namespace trk
