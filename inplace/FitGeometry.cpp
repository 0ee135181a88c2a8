#include "inplace/FitGeometry.h"

#include <algorithm>
#include <cmath>

#include "transform/TransformPoint.h"

namespace {

using Corner = std::pair<long double, long double>;

// > 0 when o, a, b turn counter-clockwise in (x, y).
long double Cross(const Corner& o, const Corner& a, const Corner& b) {
  return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
}

// The square of the distance from (x, y) to the segment a b (metres: no scaling needed).
long double SegmentDistance2(const Corner& a, const Corner& b, long double x, long double y) {
  const long double dx = b.first - a.first, dy = b.second - a.second;
  const long double length2 = dx * dx + dy * dy;
  long double t = length2 > 0 ? ((x - a.first) * dx + (y - a.second) * dy) / length2 : 0;
  t = std::clamp<long double>(t, 0, 1);
  const long double ex = x - (a.first + t * dx), ey = y - (a.second + t * dy);
  return ex * ex + ey * ey;
}

}  // namespace

// Andrew's monotone chain.
AdjustmentHull::AdjustmentHull(const TFittedTransformation& f) {
  std::vector<Corner> points;
  for (std::int32_t k = 1; k <= f.ls; ++k)
    points.emplace_back(f.model.x(k), f.model.y(k));
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  if (points.size() < 3) {
    corners_ = points;
    return;
  }
  std::vector<Corner> hull(2 * points.size());
  std::size_t k = 0;
  for (const Corner& p : points) {
    while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p) <= 0)
      --k;
    hull[k++] = p;
  }
  for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
      --k;
    hull[k++] = points[i];
  }
  hull.resize(k - 1);
  corners_ = std::move(hull);
}

// The wedge of corner 0 that holds the point, found by halving, then its far edge.
bool AdjustmentHull::Inside(long double x, long double y) const {
  const std::size_t n = corners_.size();
  if (n < 3) return false;
  const Corner p{x, y};
  if (Cross(corners_[0], corners_[1], p) < 0 || Cross(corners_[0], corners_[n - 1], p) > 0)
    return false;
  std::size_t low = 1, high = n - 1;
  while (high - low > 1) {
    const std::size_t middle = (low + high) / 2;
    (Cross(corners_[0], corners_[middle], p) >= 0 ? low : high) = middle;
  }
  return Cross(corners_[low], corners_[high], p) >= 0;
}

long double AdjustmentHull::Distance(long double x, long double y) const {
  if (corners_.empty() || Inside(x, y)) return 0;
  if (corners_.size() == 1) return std::hypot(x - corners_[0].first, y - corners_[0].second);
  long double nearest2 = INFINITY;
  for (std::size_t k = 0; k < corners_.size(); ++k) {
    nearest2 = std::min(nearest2,
                        SegmentDistance2(corners_[k], corners_[(k + 1) % corners_.size()], x, y));
  }
  return std::sqrt(nearest2);
}

LocalTurn LocalTurnOfFit(const TFittedTransformation& f, long double x, long double y) {
  constexpr long double h = 0.5;
  TransformedPoint xPlus, xMinus, yPlus, yMinus;
  TransformPoint(f, x + h, y, xPlus);
  TransformPoint(f, x - h, y, xMinus);
  TransformPoint(f, x, y + h, yPlus);
  TransformPoint(f, x, y - h, yMinus);
  const long double j11 = (xPlus.Xk - xMinus.Xk) / (2 * h), j21 = (xPlus.Yk - xMinus.Yk) / (2 * h);
  const long double j12 = (yPlus.Xk - yMinus.Xk) / (2 * h), j22 = (yPlus.Yk - yMinus.Yk) / (2 * h);
  return {std::atan2(j21 - j12, j11 + j22), std::hypot(j11 + j22, j21 - j12) / 2};
}

FitBox BoxThroughFit(const TFittedTransformation& f, const FitBox& box) {
  FitBox out{INFINITY, INFINITY, -INFINITY, -INFINITY};
  for (long double x : {box.xMin, box.xMax}) {
    for (long double y : {box.yMin, box.yMax}) {
      TransformedPoint t;
      TransformPoint(f, x, y, t);
      out.xMin = std::min(out.xMin, t.Xk);
      out.xMax = std::max(out.xMax, t.Xk);
      out.yMin = std::min(out.yMin, t.Yk);
      out.yMax = std::max(out.yMax, t.Yk);
    }
  }
  return out;
}
