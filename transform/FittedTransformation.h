// The result of the last fit, kept for the whole life of the program: the listing set, the
// adjustment points in both systems, their residuals and the library's solution array.
// Arrays have indices 0..TRK_MAX_POINTS (index 0 unused) and are allocated once.
#pragma once

#include <cstdint>
#include <vector>

#include "transform/PointNumber.h"

struct TFittedTransformation {
  TFittedTransformation();

  std::int32_t lp = 0;  // points of the listing set
  std::int32_t ls = 0;  // adjustment points, the first ls of the listing set
  std::vector<PointNumber> Nr;
  std::vector<long double> x, y;    // primary coordinates of the listing set
  std::vector<long double> x2, y2;  // secondary coordinates of the adjustment points
  std::vector<long double> vx, vy;  // residuals at the adjustment points
  std::vector<long double> w;       // solution array of libtrk
  long double skala = 0, xo = 0, yo = 0, Xo = 0, Yo = 0;
  // True when this run's fit succeeded; false after a read failure, a defect, or before
  // the first run. The map conversion needs it.
  bool fitted = false;
};

extern TFittedTransformation FittedTransformation;
