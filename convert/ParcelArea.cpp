#include "convert/ParcelArea.h"

#include <cmath>

long double ParcelArea(BoundaryRing& ring, int k) {
  if (k <= 0) return 0;
  std::vector<long double>& X = ring.X;
  std::vector<long double>& Y = ring.Y;
  X[0] = X[k - 1];
  Y[0] = Y[k - 1];
  const long double ox = X[1], oy = Y[1];
  for (int i = 0; i <= k; ++i) {
    X[i] -= ox;
    Y[i] -= oy;
  }
  long double s = 0;
  for (int i = 1; i <= k - 1; ++i)
    s += X[i] * (Y[i - 1] - Y[i + 1]);
  return std::fabs(s * 0.5L) * 0.0001L;
}
