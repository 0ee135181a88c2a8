// The C++ face of libtrk: owns the point arrays and the solution array of one fit, and
// names what the solution holds. The only code of the program that knows the layout of w.
// Reals are 80-bit extended; coordinates and residuals in metres; point indices run from 1.
#pragma once

#include <cstdint>
#include <vector>

#include "trk/trk.h"

namespace trk {

// One point through the fitted model and its Hausbrandt correction (metres).
struct TransformedPoint {
  long double X = 0, Y = 0;    // model value
  long double dx = 0, dy = 0;  // Hausbrandt correction
  long double Xk = 0, Yk = 0;  // final coordinates, X + dx and Y + dy
};

// What the fit says of adjustment point i without that point: the same model fitted to
// the other points, from the deletion formulas on the full fit (no refit).
struct DeletionFigures {
  // False when the point's leverage is 1: the other points cannot determine the model there.
  bool predictable = false;
  long double leverage = 1;    // h, the point's diagonal of the hat matrix (per coordinate)
  long double dx = 0, dy = 0;  // secondary coordinates minus that model's value (m)
  long double vvWithout = 0;   // [vv] of that fit (m^2)
};

class FittedModel {
 public:
  FittedModel();

  // Room for points 1..points of the listing, so that setting them allocates no more. The
  // arrays hold the points at hand, never TRK_MAX_POINTS: a fit of 36 points touches a few
  // kilobytes.
  void Reserve(std::int32_t points);

  // Point i, 1..TRK_MAX_POINTS, of the listing: primary x, y (every point) and secondary
  // x2, y2 (adjustment points, the first m of the listing). The arrays grow as needed.
  void SetPrimary(std::int32_t i, long double x, long double y) {
    if (static_cast<std::size_t>(i) >= x_.size()) Grow(i);
    x_[i] = x;
    y_[i] = y;
  }
  void SetSecondary(std::int32_t i, long double x2, long double y2) {
    if (static_cast<std::size_t>(i) >= x2_.size()) Grow(i);
    x2_[i] = x2;
    y2_[i] = y2;
  }

  // Fits kind 1 (conformal) or 2 (general) of degree n (1..9) to the first m points. False
  // when the system is singular or nearly so, or kind, n or m lie out of range; the figures
  // of the previous fit then stay as they were. A fit only looked at (`forEvaluation` false,
  // as the comparison of models does) leaves out the correction's packed layout, 64 bytes a
  // point; Evaluate then reads the four arrays, with the same bits, more slowly.
  bool Fit(std::int32_t kind, std::int32_t n, std::int32_t m, bool forEvaluation = true);

  // The six values at (x, y) in the primary system: the fitted model, and the correction
  // from the residuals of the first `listed` points. Reads only; allocates nothing. The
  // same bits as the library's evaluation entry points, which read the correction's
  // packed layout from w only while it fits there (about 48,000 points); this face keeps
  // the layout in memory of its own, so every size takes the packed path.
  void Evaluate(long double x, long double y, std::int32_t listed, TransformedPoint& r) const;

  // The fitted model alone at (x, y), without the correction (m): what Evaluate gives as X, Y.
  void Value(long double x, long double y, long double& X, long double& Y) const;

  std::int32_t Kind() const { return kind_; }
  std::int32_t Degree() const { return degree_; }
  std::int32_t Points() const { return m_; }
  std::int32_t Unknowns() const { return TrkUnknowns(kind_, degree_); }
  std::int32_t Redundancy() const { return 2 * m_ - Unknowns(); }

  // [vv], the sum of squared residuals (m^2).
  long double SumOfSquares() const { return w_[1]; }
  // Mean error of unit weight sqrt([vv] / r); 0 when r <= 0.
  long double M0() const;
  // Coefficient k, 1..Unknowns(): kind 1 a0 b0 a1 b1 ..., kind 2 all a[i,j] then all b[i,j]
  // (i outer 0..n, j inner 0..n-i); in metres per normalised unit to the power i + j.
  long double Coefficient(std::int32_t k) const { return w_[k + 1]; }
  // The diagonal cofactor of coefficient k, and its mean error m0 * sqrt(|cofactor| + 1e-20).
  long double Cofactor(std::int32_t k) const;
  long double MeanError(std::int32_t k) const;

  // The deletion figures of adjustment points 1..Points() into figures[1..] (resized). With
  // H the hat matrix of the fit and H_ii its block for point i (h per coordinate for the
  // general kind; for the conformal one a 2x2 block that equals h I):
  // d_i = (I - H_ii)^-1 v_i and [vv](i) = [vv] - v_i' (I - H_ii)^-1 v_i. The hat matrix does not
  // depend on centring or scaling, so it is formed in the fit's normalised coordinates: N = A'A = L
  // L' from the design rows, and h = y'y with y = L^-1 a_i. Cost: one pass over the points to form
  // N and one to solve, which `threads` threads share (each point's figures are its own, so
  // the result does not depend on their number). False before a fit, or when N is not
  // positive definite.
  bool Deletion(std::vector<DeletionFigures>& figures, int threads = 1) const;

  // The leverage h = a' N^-1 a of listing points first..last that are not points of the fit
  // (their primary coordinates set, indices past Points()): the model's value there has
  // the variance m0^2 h per coordinate, and secondary minus it m0^2 (1 + h) when the point
  // is independent of the fit. leverages[k - first] for point k. False before a fit, or
  // when N is not positive definite.
  bool Leverages(std::int32_t first, std::int32_t last, std::vector<long double>& leverages) const;

  long double x(std::int32_t i) const { return x_[i]; }
  long double y(std::int32_t i) const { return y_[i]; }
  long double x2(std::int32_t i) const { return x2_[i]; }
  long double y2(std::int32_t i) const { return y2_[i]; }
  // Residual of adjustment point i: secondary minus model value (m).
  long double vx(std::int32_t i) const { return vx_[i]; }
  long double vy(std::int32_t i) const { return vy_[i]; }

  // Normalising scale (1/m) and centroids of the primary and secondary points (m).
  long double skala() const { return skala_; }
  long double xo() const { return xo_; }
  long double yo() const { return yo_; }
  long double Xo() const { return Xo_; }
  long double Yo() const { return Yo_; }

 private:
  void Grow(std::int32_t i);
  // The Cholesky factor L of the normal matrix N = L L' in normalised coordinates (order
  // u, row-major): for the general kind the block of X alone, which Y shares. False
  // before a fit, or when N is not positive definite.
  bool NormalFactor(std::vector<long double>& l, int& u) const;
  // y'y with y = L^-1 a, a the design row of primary (x, y): the leverage of that position.
  long double LeverageAt(const std::vector<long double>& l, int u, long double x,
                         long double y) const;

  std::vector<long double> x_, y_, x2_, y2_, vx_, vy_, w_;
  // Each adjustment point's model position and residuals side by side (x2-vx, y2-vy, vx, vy).
  std::vector<long double> packed_;
  long double skala_ = 0, xo_ = 0, yo_ = 0, Xo_ = 0, Yo_ = 0;
  std::int32_t kind_ = 0, degree_ = 0, m_ = 0;
};

}  // namespace trk
