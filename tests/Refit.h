// Judging an adjustment point by brute force, independently of the deletion formulas: the
// model fitted to the other points, its discrepancy at the point and its m0, m0(i).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "transform/UPKTBIN.h"
#include "trk/FittedModel.h"

struct Refit {
  long double d, m0i;
};

inline Refit RefitWithout(const TPktDostosowania& points, int kind, int degree, std::size_t left) {
  trk::FittedModel model;
  std::int32_t k = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i == left) continue;
    ++k;
    model.SetPrimary(k, points[i].x1, points[i].y1);
    model.SetSecondary(k, points[i].x2, points[i].y2);
  }
  EXPECT_TRUE(model.Fit(kind, degree, k));
  trk::TransformedPoint t;
  model.Evaluate(points[left].x1, points[left].y1, 0, t);
  return {std::hypot(points[left].x2 - t.X, points[left].y2 - t.Y), model.M0()};
}
