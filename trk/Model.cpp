#include "trk/Model.h"

namespace trk {
namespace {

// z^k = p[k] + i q[k]; X row: a_k -> p_k, b_k -> -q_k; Y row: a_k -> q_k, b_k -> p_k.
void ConformalRows(std::int32_t n, long double u, long double v, DesignRows& rows) {
  long double p = 1, q = 0;
  for (std::int32_t k = 0; k <= n; ++k) {
    rows.x[2 * k] = p;
    rows.x[2 * k + 1] = -q;
    rows.y[2 * k] = q;
    rows.y[2 * k + 1] = p;
    const long double next = p * u - q * v;
    q = p * v + q * u;
    p = next;
  }
  rows.xBegin = rows.yBegin = 0;
  rows.xEnd = rows.yEnd = 2 * n + 2;
}

// Monomials u^i v^j, i outer 0..n, j inner 0..n-i; X uses the first half, Y the second.
void GeneralRows(std::int32_t n, long double u, long double v, DesignRows& rows) {
  const int half = (n + 1) * (n + 2) / 2;
  int k = 0;
  long double ui = 1;
  for (std::int32_t i = 0; i <= n; ++i, ui *= u) {
    long double term = ui;
    for (std::int32_t j = 0; j <= n - i; ++j, term *= v, ++k) {
      rows.x[k] = term;
      rows.x[half + k] = 0;
      rows.y[k] = 0;
      rows.y[half + k] = term;
    }
  }
  rows.xBegin = 0;
  rows.xEnd = rows.yBegin = half;
  rows.yEnd = 2 * half;
}

}  // namespace

void BuildDesignRows(std::int32_t kind, std::int32_t n, long double u, long double v,
                     DesignRows& rows) {
  if (kind == 1) {
    ConformalRows(n, u, v, rows);
  } else {
    GeneralRows(n, u, v, rows);
  }
}

void ModelValue(std::int32_t kind, std::int32_t n, const long double* c, long double u,
                long double v, long double& dX, long double& dY) {
  if (kind == 1) {
    // Horner in complex arithmetic: S = c[n]; S = S z + c[k] for k = n-1 .. 0.
    long double sRe = c[2 * n], sIm = c[2 * n + 1];
    for (std::int32_t k = n - 1; k >= 0; --k) {
      const long double re = sRe * u - sIm * v + c[2 * k];
      sIm = sRe * v + sIm * u + c[2 * k + 1];
      sRe = re;
    }
    dX = sRe;
    dY = sIm;
    return;
  }
  const int half = (n + 1) * (n + 2) / 2;
  long double sumX = 0, sumY = 0, ui = 1;
  int k = 0;
  for (std::int32_t i = 0; i <= n; ++i, ui *= u) {
    long double term = ui;
    for (std::int32_t j = 0; j <= n - i; ++j, term *= v, ++k) {
      sumX += c[k] * term;
      sumY += c[half + k] * term;
    }
  }
  dX = sumX;
  dY = sumY;
}

}  // namespace trk
