// The two polynomial models in normalised coordinates: the design rows of the fit and the
// model value. Fit and evaluation share this code, so the model value at an adjustment point
// is bit for bit the one the residuals were taken from.
#pragma once

#include <cstdint>

namespace trk {

constexpr int kMaxUnknowns = 110;  // kind 2, degree 9

// Coefficients of X and Y for one observation point (u, v): rowX, rowY of length u.
// The nonzero span of each row is returned in [xBegin, xEnd) and [yBegin, yEnd).
struct DesignRows {
  long double x[kMaxUnknowns];
  long double y[kMaxUnknowns];
  int xBegin, xEnd, yBegin, yEnd;
};

void BuildDesignRows(std::int32_t kind, std::int32_t n, long double u, long double v,
                     DesignRows& rows);

// X - Xo and Y - Yo at (u, v) for the coefficients c[0..u-1].
void ModelValue(std::int32_t kind, std::int32_t n, const long double* c, long double u,
                long double v, long double& dX, long double& dY);

}  // namespace trk
