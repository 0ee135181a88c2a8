// The hull of the adjustment points and the fit's local turn, against what they must be:
// random points inside the hull (convex combinations of the points) at distance 0, points
// beyond a side at their distance from it; on an exact similarity (no residual, so no
// correction) the rotation and the scale of the similarity everywhere.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "inplace/FitGeometry.h"
#include "transform/RunTransformation.h"

namespace {

constexpr long double kX = 5567000, kY = 7456000;

// A fit through points that a similarity of rotation `angle` and scale `scale` about the
// first point carries exactly.
std::shared_ptr<const TransformationResult> Similarity(
    const std::vector<std::pair<long double, long double>>& offsets, long double angle,
    long double scale) {
  auto input = std::make_shared<TransformationInput>();
  input->opened = true;
  int nr = 0;
  for (const auto& [dx, dy] : offsets) {
    const long double c = scale * std::cos(angle), s = scale * std::sin(angle);
    input->points.push_back(
        {std::to_string(++nr), kX + dx, kY + dy, kX + c * dx - s * dy, kY + s * dx + c * dy});
  }
  TransformationWork work;
  return ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work);
}

const std::vector<std::pair<long double, long double>> kSquare = {
    {0, 0}, {0, 1000}, {1000, 1000}, {1000, 0}, {400, 300}, {700, 650}};

TEST(AdjustmentHull, InsideIsZeroAndBeyondASideIsTheDistanceToIt) {
  const auto fit = Similarity(kSquare, 0, 1);
  const AdjustmentHull hull(fit->FittedTransformation);
  std::mt19937 random(7);
  std::uniform_real_distribution<long double> share(0, 1);
  for (int k = 0; k < 200; ++k) {
    const long double a = share(random), b = share(random);
    EXPECT_EQ(hull.Distance(kX + 1000 * a, kY + 1000 * b), 0);
  }
  struct Case {
    long double dx, dy, distance;
  } cases[] = {{-5, 500, 5}, {1012.5, 500, 12.5}, {500, -0.25, 0.25}, {500, 1100, 100},
               {-3, -4, 5},  {1000, 1000, 0},     {0, 500, 0}};
  for (const Case& c : cases) {
    EXPECT_NEAR(static_cast<double>(hull.Distance(kX + c.dx, kY + c.dy)),
                static_cast<double>(c.distance), 1e-6)
        << c.dx << " " << c.dy;
  }
}

TEST(LocalTurnOfFit, AnExactSimilarityTurnsAndScalesByItsOwnAngleAndScale) {
  for (const auto& [angle, scale] :
       {std::pair{1e-3L, 1.0001L}, {-2.5e-5L, 0.9998L}, {0.0L, 1.0L}}) {
    const auto fit = Similarity(kSquare, angle, scale);
    for (const auto& [dx, dy] : {std::pair{100.0L, 100.0L}, {900.0L, 50.0L}, {1500.0L, -300.0L}}) {
      const LocalTurn turn = LocalTurnOfFit(fit->FittedTransformation, kX + dx, kY + dy);
      EXPECT_NEAR(static_cast<double>(turn.rotation), static_cast<double>(angle), 1e-9);
      EXPECT_NEAR(static_cast<double>(turn.scale), static_cast<double>(scale), 1e-9);
    }
  }
}

}  // namespace
