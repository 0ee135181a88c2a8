#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/trk/TrkFixture.h"
#include "trk/Correction.h"

namespace {

TrkFit FittedNoisyPoints(int kind, int degree) {
  TrkFit f;
  f.kind = kind;
  f.n = degree;
  std::mt19937 random(kind * 10 + degree);
  std::normal_distribution<long double> noise(0, 0.03L);
  SpreadPoints(60, 5, [&](long double x, long double y) {
    f.Add(x, y, x + 0.25L + noise(random), y - 0.4L + noise(random));
  });
  EXPECT_TRUE(f.Run());
  return f;
}

TEST(Evaluate, AdjustmentPointsGetExactlyTheirSecondaryCoordinates) {
  for (int kind = 1; kind <= 2; ++kind) {
    for (int degree : {1, 3, 5}) {
      const TrkFit f = FittedNoisyPoints(kind, degree);
      for (int i = 1; i <= f.m; ++i) {
        const auto r = f.At(f.x1[i], f.y1[i]);
        ASSERT_EQ(r.Xk, f.x2[i]) << kind << "/" << degree << " point " << i;
        ASSERT_EQ(r.Yk, f.y2[i]);
        ASSERT_EQ(r.dx, f.vx[i]);
        ASSERT_EQ(r.dy, f.vy[i]);
        ASSERT_EQ(r.X, f.x2[i] - f.vx[i]);
      }
    }
  }
}

// A point measured twice (same primary coordinates, different secondary ones) has one
// model position and two residuals: evaluated there, the first of the two gives the
// coordinates. A point one unit in the last place away from an adjustment point is still
// that point; one a millimetre away gets the weighted mean.
TEST(Evaluate, ARepeatedPointTakesItsFirstRecordAndANearPointItsOwnMean) {
  TrkFit f;
  SpreadPoints(30, 8, [&](long double x, long double y) { f.Add(x, y, x + 0.2L, y - 0.3L); });
  f.Add(f.x1[7], f.y1[7], f.x2[7] + 0.05L, f.y2[7] - 0.04L);  // point 7 again, as point 31
  f.x2[12] += 0.03L;
  ASSERT_TRUE(f.Run());
  ASSERT_EQ(f.x2[7] - f.vx[7], f.x2[31] - f.vx[31]);  // one model position
  ASSERT_NE(f.vx[7], f.vx[31]);
  const auto repeated = f.At(f.x1[7], f.y1[7]);
  EXPECT_EQ(repeated.Xk, f.x2[7]);
  EXPECT_EQ(repeated.Yk, f.y2[7]);
  const auto hair = f.At(std::nextafter(f.x1[12], 1e7L), f.y1[12]);
  EXPECT_EQ(hair.dx, f.vx[12]);
  EXPECT_EQ(hair.Yk, f.y2[12]);
  const auto near = f.At(f.x1[12] + 0.001L, f.y1[12]);
  EXPECT_NE(near.dx, f.vx[12]);
  EXPECT_NEAR(near.dx, f.vx[12], 1e-4L);  // the point's own residual dominates the mean
}

// Which adjustment point a position within rounding noise of several takes: the nearest,
// and of equally near ones the first, read packed and from the four arrays alike. Model
// positions and residuals are sums of powers of two, so every position is exact.
TEST(Evaluate, TheNearestOfCoincidentPointsAndOfEqualsTheFirstGivesTheResiduals) {
  constexpr long double X = 5567000, Y = 7456000;
  constexpr long double hair = 0x1p-40L;  // far below the noise of about 6e-12 m here
  struct Point {
    long double modelX, modelY, vx, vy;
  };
  struct Case {
    const char* name;
    std::vector<Point> points;
    int expected;  // the point, 1.., whose residuals and secondary coordinates come out
  };
  const Case cases[] = {
      {"two at the position, the first wins",
       {{X + 100, Y, 0.5L, 0.5L}, {X, Y, 0.125L, -0.25L}, {X, Y, -0.5L, 0.375L}},
       2},
      {"the same two the other way round",
       {{X + 100, Y, 0.5L, 0.5L}, {X, Y, -0.5L, 0.375L}, {X, Y, 0.125L, -0.25L}},
       2},
      {"a nearer later point beats an earlier one within the noise",
       {{X + hair, Y, 0.125L, -0.25L}, {X + 100, Y, 0.5L, 0.5L}, {X, Y, -0.5L, 0.375L}},
       3},
      {"of two equally near within the noise, the first",
       {{X, Y - hair, 0.25L, 0.25L}, {X, Y + hair, -0.5L, 0.375L}, {X + 100, Y, 0.5L, 0.5L}},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t n = c.points.size();
    std::vector<long double> x2(n + 1), y2(n + 1), vx(n + 1), vy(n + 1), packed;
    for (std::size_t i = 1; i <= n; ++i) {
      const Point& p = c.points[i - 1];
      x2[i] = p.modelX + p.vx;
      y2[i] = p.modelY + p.vy;
      vx[i] = p.vx;
      vy[i] = p.vy;
      packed.insert(packed.end(), {p.modelX, p.modelY, p.vx, p.vy});
    }
    for (const bool usePacked : {true, false}) {
      const trk::CorrectionPoints points{static_cast<std::int32_t>(n),
                                         usePacked ? packed.data() : nullptr,
                                         x2.data(),
                                         y2.data(),
                                         vx.data(),
                                         vy.data()};
      long double dx, dy, Xk, Yk;
      trk::ApplyCorrection(X, Y, trk::SumWeights(X, Y, points), points, &dx, &dy, &Xk, &Yk);
      EXPECT_EQ(dx, vx[c.expected]) << usePacked;
      EXPECT_EQ(dy, vy[c.expected]) << usePacked;
      EXPECT_EQ(Xk, x2[c.expected]) << usePacked;
      EXPECT_EQ(Yk, y2[c.expected]) << usePacked;
    }
  }
}

TEST(Evaluate, CorrectionIsTheInverseSquareDistanceMeanOfResiduals) {
  const TrkFit f = FittedNoisyPoints(1, 1);
  const long double x = 5568123.45L, y = 7457321.09L;
  const auto r = f.At(x, y);
  long double sp = 0, spx = 0, spy = 0;
  for (int i = 1; i <= f.m; ++i) {
    const long double ex = r.X - (f.x2[i] - f.vx[i]), ey = r.Y - (f.y2[i] - f.vy[i]);
    const long double p = 1 / (ex * ex + ey * ey);
    sp += p, spx += p * f.vx[i], spy += p * f.vy[i];
  }
  EXPECT_NEAR(r.dx, spx / sp, 1e-15L);
  EXPECT_NEAR(r.dy, spy / sp, 1e-15L);
  EXPECT_EQ(r.Xk, r.X + r.dx);
  EXPECT_EQ(r.Yk, r.Y + r.dy);
}

TEST(Evaluate, FarPointTakesNearlyTheMeanResidual) {
  const TrkFit f = FittedNoisyPoints(1, 1);
  long double meanX = 0, meanY = 0;
  for (int i = 1; i <= f.m; ++i)
    meanX += f.vx[i] / f.m, meanY += f.vy[i] / f.m;
  const auto r = f.At(f.xo + 5e6L, f.yo - 5e6L);
  EXPECT_NEAR(r.dx, meanX, 1e-5L);
  EXPECT_NEAR(r.dy, meanY, 1e-5L);
}

TEST(Evaluate, ExactFitHasNoCorrection) {
  TrkFit f;  // two points, Helmert: r = 0
  f.Add(100, 200, 1100, 2200);
  f.Add(300, 500, 1300, 2500);
  ASSERT_TRUE(f.Run());
  const auto r = f.At(150, 420);
  EXPECT_NEAR(r.X, 1150, 1e-12L);
  EXPECT_NEAR(r.Y, 2420, 1e-12L);
  EXPECT_NEAR(r.dx, 0, 1e-12L);
  EXPECT_NEAR(r.dy, 0, 1e-12L);
}

TEST(Evaluate, ReadsItsInputsOnly) {
  TrkFit f = FittedNoisyPoints(2, 2);
  const TrkFit before = f;
  for (int i = 0; i < 100; ++i)
    f.At(5567000 + 37 * i, 7456000 + 29 * i);
  EXPECT_EQ(f.w, before.w);
  EXPECT_EQ(f.vx, before.vx);
  EXPECT_EQ(f.x2, before.x2);
  EXPECT_EQ(f.At(5567500, 7457500).Xk, before.At(5567500, 7457500).Xk);
}

}  // namespace
