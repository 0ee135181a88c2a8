#include "convert/ParcelArea.h"

#include <gtest/gtest.h>

namespace {

long double Area(std::vector<std::pair<long double, long double>> points) {
  BoundaryRing ring;
  for (const auto& [x, y] : points) {
    ring.X.push_back(x);
    ring.Y.push_back(y);
  }
  return ParcelArea(ring, static_cast<int>(points.size()));
}

TEST(ParcelArea, HectaresOfClosedRings) {
  const long double x = 5567000, y = 7456000;
  EXPECT_EQ(Area({{x, y}, {x, y + 100}, {x + 100, y + 100}, {x + 100, y}, {x, y}}), 1.0L);
  EXPECT_EQ(Area({{x, y}, {x + 100, y}, {x + 100, y + 100}, {x, y + 100}, {x, y}}), 1.0L);
  EXPECT_EQ(Area({{x, y}, {x, y + 50}, {x + 50, y}, {x, y}}), 0.125L);
  EXPECT_NEAR(Area({{x + 0.01L, y}, {x, y + 0.02L}, {x + 0.03L, y + 0.02L}, {x + 0.01L, y}}),
              0.00000003L, 1e-17L);  // 3 cm2: the shift to the first vertex keeps it
}

TEST(ParcelArea, TooFewVerticesGiveZero) {
  EXPECT_EQ(Area({}), 0);
  EXPECT_EQ(Area({{1, 2}}), 0);
  EXPECT_EQ(Area({{1, 2}, {3, 4}}), 0);
  BoundaryRing ring;
  EXPECT_EQ(ParcelArea(ring, -5), 0);
}

}  // namespace
