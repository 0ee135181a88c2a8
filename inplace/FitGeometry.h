// What a run's fit does around a position of a file rewritten in place: where the fit has
// adjustment points around it (their convex hull: beyond it the Hausbrandt correction
// extrapolates), how much the whole fit (model and correction) turns and scales there, and
// what becomes of a bounding box. Positions are the fit's: x northing, y easting (m).
#pragma once

#include <utility>
#include <vector>

#include "transform/FittedTransformation.h"

// The convex hull of the used adjustment points' primary positions.
class AdjustmentHull {
 public:
  explicit AdjustmentHull(const TFittedTransformation& f);
  // 0 inside or on the hull, else the distance to it (m); with fewer than three points
  // not in a line, the distance to the points' segment or point.
  long double Distance(long double x, long double y) const;

 private:
  bool Inside(long double x, long double y) const;

  std::vector<std::pair<long double, long double>> corners_;  // counter-clockwise in (x, y)
};

// The Jacobian J of the whole fit at (x, y) by central differences over 1 m, and from it the
// rotation of its conformal part, atan2(J21 - J12, J11 + J22) (rad, from x towards y), and
// its scale, |(J11 + J22, J21 - J12)| / 2. For a conformal fit both are the model's own,
// the same for every direction.
struct LocalTurn {
  long double rotation = 0, scale = 1;
};
LocalTurn LocalTurnOfFit(const TFittedTransformation& f, long double x, long double y);

// The box (x from, y from, x to, y to) through the fit: the box of its four corners carried
// through it. Rounding it outward is the writer's, who knows each corner's decimals.
struct FitBox {
  long double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
FitBox BoxThroughFit(const TFittedTransformation& f, const FitBox& box);
