#include "trk/FittedModel.h"

#include <cmath>

namespace trk {

FittedModel::FittedModel()
    : x_(TRK_ARRAY_SIZE),
      y_(TRK_ARRAY_SIZE),
      x2_(TRK_ARRAY_SIZE),
      y2_(TRK_ARRAY_SIZE),
      vx_(TRK_ARRAY_SIZE),
      vy_(TRK_ARRAY_SIZE),
      w_(TRK_ARRAY_SIZE) {}

bool FittedModel::Fit(std::int32_t kind, std::int32_t n, std::int32_t m) {
  auto fit = kind == 1 ? transkf : transaf;
  std::int32_t status = 1;
  fit(&n, &m, x_.data(), y_.data(), x2_.data(), y2_.data(), vx_.data(), vy_.data(), w_.data(),
      &skala_, &xo_, &yo_, &Xo_, &Yo_, &status);
  if (status == 1) return false;
  kind_ = kind;
  degree_ = n;
  m_ = m;
  return true;
}

void FittedModel::Evaluate(long double x, long double y, std::int32_t listed,
                           TransformedPoint& r) const {
  auto evaluate = kind_ == 1 ? transkpf : transapf;
  evaluate(&x, &y, &r.X, &r.Y, &r.Xk, &r.Yk, &listed, &degree_, &skala_, &xo_, &yo_, &Xo_, &Yo_,
           x2_.data(), y2_.data(), vx_.data(), vy_.data(), w_.data(), &r.dx, &r.dy);
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
