// Least squares by orthogonal triangularisation: each observation row is rotated into the
// triangle R with Givens rotations, so the normal matrix N = A'A = R'R is never formed and
// its condition is not squared. Rank is judged column by column: a column whose part
// orthogonal to the columns before it is negligible makes the system defective.
#pragma once

#include <vector>

namespace trk {

class GivensLeastSquares {
 public:
  explicit GivensLeastSquares(int unknowns);

  // Adds the observation  sum row[j] x[j] = l  (unit weight); row is nonzero only in
  // [begin, end) and is used as scratch.
  void Add(long double* row, int begin, int end, long double l);

  // Solves R x = d. False when the system is singular or nearly so.
  bool Solve(long double* x) const;

  // Diagonal of the cofactor matrix Q = N^-1 = R^-1 R^-T. Call after a successful Solve.
  void CofactorDiagonal(long double* q) const;

 private:
  long double& R(int i, int j) { return r_[i * u_ + j]; }
  long double R(int i, int j) const { return r_[i * u_ + j]; }

  int u_;
  std::vector<long double> r_;
  std::vector<long double> d_;
  std::vector<long double> columnSquares_;
};

}  // namespace trk
