#include "trk/GivensLeastSquares.h"

#include <cmath>

namespace trk {
namespace {

// A column is taken as dependent when the part of it that the columns before it cannot
// explain is smaller than this share of its length. Normalised coordinates keep honest
// models of degree 9 far above it; collinear or coincident points fall far below it.
constexpr long double kDependentColumn = 1e-11L;

}  // namespace

GivensLeastSquares::GivensLeastSquares(int unknowns)
    : u_(unknowns),
      r_(unknowns * unknowns, 0.0L),
      d_(unknowns, 0.0L),
      columnSquares_(unknowns, 0.0L) {}

void GivensLeastSquares::Add(long double* row, int begin, int end, long double l) {
  for (int j = begin; j < end; ++j)
    columnSquares_[j] += row[j] * row[j];
  for (int k = begin; k < end; ++k) {
    if (row[k] == 0) continue;
    const long double rkk = R(k, k);
    const long double h = std::sqrt(rkk * rkk + row[k] * row[k]);
    const long double c = rkk / h, s = row[k] / h;
    for (int j = k; j < end; ++j) {
      const long double rkj = R(k, j);
      R(k, j) = c * rkj + s * row[j];
      row[j] = c * row[j] - s * rkj;
    }
    const long double dk = d_[k];
    d_[k] = c * dk + s * l;
    l = c * l - s * dk;
  }
}

bool GivensLeastSquares::Solve(long double* x) const {
  for (int k = 0; k < u_; ++k) {
    const long double norm = std::sqrt(columnSquares_[k]);
    if (norm == 0 || std::fabs(R(k, k)) <= kDependentColumn * norm) return false;
  }
  for (int k = u_ - 1; k >= 0; --k) {
    long double sum = d_[k];
    for (int j = k + 1; j < u_; ++j)
      sum -= R(k, j) * x[j];
    x[k] = sum / R(k, k);
  }
  return true;
}

void GivensLeastSquares::CofactorDiagonal(long double* q) const {
  // Rows of R^-1 by back substitution; Q_kk = sum over j >= k of (R^-1)_kj^2.
  std::vector<long double> inverse(static_cast<std::size_t>(u_) * u_, 0.0L);
  auto inv = [&](int i, int j) -> long double& { return inverse[i * u_ + j]; };
  for (int j = 0; j < u_; ++j) {
    inv(j, j) = 1 / R(j, j);
    for (int i = j - 1; i >= 0; --i) {
      long double sum = 0;
      for (int k = i + 1; k <= j; ++k)
        sum += R(i, k) * inv(k, j);
      inv(i, j) = -sum / R(i, i);
    }
  }
  for (int k = 0; k < u_; ++k) {
    long double sum = 0;
    for (int j = k; j < u_; ++j)
      sum += inv(k, j) * inv(k, j);
    q[k] = sum;
  }
}

}  // namespace trk
