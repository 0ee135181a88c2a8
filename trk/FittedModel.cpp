#include "trk/FittedModel.h"

#include <cmath>

#include <algorithm>
#include <thread>

#include "trk/Correction.h"
#include "trk/FitModel.h"
#include "trk/Model.h"

namespace trk {

// The solution without the correction's layout: [vv], coefficients and cofactors of the
// largest model.
FittedModel::FittedModel() : w_(TrkFirstCofactorIndex(kMaxUnknowns) + 1) {}

void FittedModel::Reserve(std::int32_t points) {
  const std::size_t size = static_cast<std::size_t>(std::max(points, 0)) + 1;
  for (auto* v : {&x_, &y_, &x2_, &y2_}) {
    if (v->size() < size) v->resize(size);
  }
}

void FittedModel::Grow(std::int32_t i) {
  const std::size_t size = std::max<std::size_t>(2 * x_.size(), static_cast<std::size_t>(i) + 1);
  Reserve(static_cast<std::int32_t>(std::min<std::size_t>(size - 1, TRK_MAX_POINTS)));
}

bool FittedModel::Fit(std::int32_t kind, std::int32_t n, std::int32_t m, bool forEvaluation) {
  if (kind < 1 || kind > 2 || m < 1 || m > TRK_MAX_POINTS) return false;
  Reserve(m);
  if (vx_.size() < x_.size()) {
    vx_.resize(x_.size());
    vy_.resize(x_.size());
  }
  std::int32_t status = 1;
  FitModel(kind, &n, &m, x_.data(), y_.data(), x2_.data(), y2_.data(), vx_.data(), vy_.data(),
           w_.data(), &skala_, &xo_, &yo_, &Xo_, &Yo_, &status, false);
  if (status == 1) return false;
  kind_ = kind;
  degree_ = n;
  m_ = m;
  if (!forEvaluation) {
    std::vector<long double>().swap(packed_);
    return true;
  }
  packed_.resize(4 * static_cast<std::size_t>(m));
  for (std::int32_t i = 1; i <= m; ++i) {
    long double* point = &packed_[4 * static_cast<std::size_t>(i - 1)];
    point[0] = x2_[i] - vx_[i];
    point[1] = y2_[i] - vy_[i];
    point[2] = vx_[i];
    point[3] = vy_[i];
  }
  return true;
}

void FittedModel::Value(long double x, long double y, long double& X, long double& Y) const {
  long double dX = 0, dY = 0;
  if (degree_ >= 1)
    ModelValue(kind_, degree_, &w_[2], (x - xo_) * skala_, (y - yo_) * skala_, dX, dY);
  X = Xo_ + dX;
  Y = Yo_ + dY;
}

void FittedModel::Evaluate(long double x, long double y, std::int32_t listed,
                           TransformedPoint& r) const {
  Value(x, y, r.X, r.Y);
  const std::int32_t count = std::clamp(listed, 0, m_);
  const CorrectionPoints points{count,      packed_.empty() ? nullptr : packed_.data(),
                                x2_.data(), y2_.data(),
                                vx_.data(), vy_.data()};
  const CorrectionSums sums = SumWeights(r.X, r.Y, points);
  ApplyCorrection(r.X, r.Y, sums, points, &r.dx, &r.dy, &r.Xk, &r.Yk);
}

namespace {

// A leverage this close to 1 leaves the point undetermined without itself.
constexpr long double kLeverageOne = 1e-12L;

// The lower triangle L of N = L L' (order u, row-major, in place); false when N is not
// positive definite.
bool Cholesky(std::vector<long double>& n, int u) {
  for (int j = 0; j < u; ++j) {
    long double d = n[j * u + j];
    for (int k = 0; k < j; ++k)
      d -= n[j * u + k] * n[j * u + k];
    if (!(d > 0)) return false;
    const long double l = std::sqrt(d);
    n[j * u + j] = l;
    for (int i = j + 1; i < u; ++i) {
      long double s = n[i * u + j];
      for (int k = 0; k < j; ++k)
        s -= n[i * u + k] * n[j * u + k];
      n[i * u + j] = s / l;
    }
  }
  return true;
}

// y = L^-1 a by forward substitution.
void ForwardSolve(const std::vector<long double>& l, int u, const long double* a, long double* y) {
  for (int i = 0; i < u; ++i) {
    long double s = a[i];
    for (int k = 0; k < i; ++k)
      s -= l[i * u + k] * y[k];
    y[i] = s / l[i * u + i];
  }
}

long double Dot(const long double* a, const long double* b, int u) {
  long double s = 0;
  for (int k = 0; k < u; ++k)
    s += a[k] * b[k];
  return s;
}

}  // namespace

bool FittedModel::NormalFactor(std::vector<long double>& l, int& u) const {
  if (m_ < 1) return false;
  // The general kind fits X and Y on the same monomials: one block of half the columns, one
  // leverage per point. The conformal kind couples X and Y: both rows, a 2x2 block.
  const bool general = kind_ != 1;
  u = general ? Unknowns() / 2 : Unknowns();
  l.assign(static_cast<std::size_t>(u) * u, 0.0L);
  DesignRows rows;
  for (std::int32_t i = 1; i <= m_; ++i) {
    BuildDesignRows(kind_, degree_, (x_[i] - xo_) * skala_, (y_[i] - yo_) * skala_, rows);
    for (int a = 0; a < u; ++a) {
      for (int b = 0; b <= a; ++b) {
        l[a * u + b] +=
            general ? rows.x[a] * rows.x[b] : rows.x[a] * rows.x[b] + rows.y[a] * rows.y[b];
      }
    }
  }
  for (int a = 0; a < u; ++a) {
    for (int b = a + 1; b < u; ++b)
      l[a * u + b] = l[b * u + a];
  }
  return Cholesky(l, u);  // N = L L', in place
}

// The conformal model is a complex least-squares problem written in reals; the diagonal of
// a complex hat matrix is real, so its 2x2 block is h I with h = a_x' N^-1 a_x, the same
// one-leverage formula as the general kind's.
long double FittedModel::LeverageAt(const std::vector<long double>& l, int u, long double x,
                                    long double y) const {
  DesignRows rows;
  long double z[kMaxUnknowns];
  BuildDesignRows(kind_, degree_, (x - xo_) * skala_, (y - yo_) * skala_, rows);
  ForwardSolve(l, u, rows.x, z);
  return Dot(z, z, u);
}

bool FittedModel::Deletion(std::vector<DeletionFigures>& figures, int threads) const {
  std::vector<long double> l;
  int u = 0;
  if (!NormalFactor(l, u)) return false;
  figures.assign(m_ + 1, DeletionFigures{});
  const long double vv = SumOfSquares();
  auto solve = [&](std::int32_t first, std::int32_t last) {
    for (std::int32_t i = first; i <= last; ++i) {
      const long double h = LeverageAt(l, u, x_[i], y_[i]);
      const long double rest = 1 - h;
      if (rest <= kLeverageOne) continue;
      const long double vx = vx_[i], vy = vy_[i];
      figures[i] = {true, h, vx / rest, vy / rest, vv - (vx * vx + vy * vy) / rest};
    }
  };
  // Below a few thousand points a thread costs more than it saves.
  const std::int32_t parts = std::clamp<std::int32_t>(m_ / 1024, 1, std::max(threads, 1));
  const std::int32_t step = (m_ + parts - 1) / parts;
  std::vector<std::thread> helpers;
  for (std::int32_t p = 1; p < parts; ++p)
    helpers.emplace_back(solve, 1 + p * step, std::min(m_, (p + 1) * step));
  solve(1, std::min(m_, step));
  for (std::thread& helper : helpers)
    helper.join();
  return true;
}

bool FittedModel::Leverages(std::int32_t first, std::int32_t last,
                            std::vector<long double>& leverages) const {
  std::vector<long double> l;
  int u = 0;
  if (!NormalFactor(l, u)) return false;
  leverages.clear();
  for (std::int32_t k = first; k <= last; ++k)
    leverages.push_back(LeverageAt(l, u, x_[k], y_[k]));
  return true;
}

long double FittedModel::M0() const {
  const std::int32_t r = Redundancy();
  return r > 0 ? std::sqrt(std::fabs(SumOfSquares()) / r) : 0;
}

long double FittedModel::Cofactor(std::int32_t k) const {
  const std::int32_t u = Unknowns();
  return w_[k == 1 ? TrkFirstCofactorIndex(u) : TrkCofactorIndex(u, k)];
}

long double FittedModel::MeanError(std::int32_t k) const {
  return M0() * std::sqrt(std::fabs(Cofactor(k)) + 1e-20L);
}

}  // namespace trk
