// The C++ face of libtrk against a fit worked out by hand: four points on a square of side
// 100 m, whose normalised coordinates are (+-1, +-1), carried by a Helmert transformation
// and moved by +-1 cm in a pattern the model cannot absorb.
#include "trk/FittedModel.h"

#include "tests/trk/TrkFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr long double kA = 1.00002L, kB = -0.00003L;  // scale*cos, scale*sin of the Helmert
constexpr long double kShiftX = 5567000, kShiftY = 7456000;

// Corner i of the square and its residual pattern: +1 cm in x on two opposite corners, -1 cm
// on the other two. The pattern is orthogonal to every design column, so the fit returns it
// as the residuals unchanged.
struct Corner {
  long double x, y, e;
};
constexpr Corner kCorners[4] = {
    {0, 0, 0.01L}, {100, 0, -0.01L}, {0, 100, -0.01L}, {100, 100, 0.01L}};

long double ModelX(long double x, long double y) {
  return kShiftX + kA * x - kB * y;
}
long double ModelY(long double x, long double y) {
  return kShiftY + kB * x + kA * y;
}

trk::FittedModel FittedSquare() {
  trk::FittedModel model;
  for (int i = 1; i <= 4; ++i) {
    const Corner& c = kCorners[i - 1];
    model.SetPrimary(i, c.x, c.y);
    model.SetSecondary(i, ModelX(c.x, c.y) + c.e, ModelY(c.x, c.y));
  }
  EXPECT_TRUE(model.Fit(1, 1, 4));
  return model;
}

TEST(FittedModel, NamesEveryFigureOfAHandWorkedHelmertFit) {
  const trk::FittedModel model = FittedSquare();
  EXPECT_EQ(model.Kind(), 1);
  EXPECT_EQ(model.Degree(), 1);
  EXPECT_EQ(model.Unknowns(), 4);
  EXPECT_EQ(model.Redundancy(), 4);
  // Centroids and scale: the centre of the square, 1 / half its side.
  EXPECT_EQ(model.xo(), 50);
  EXPECT_EQ(model.yo(), 50);
  EXPECT_NEAR(model.Xo(), ModelX(50, 50), 1e-9L);
  EXPECT_NEAR(model.Yo(), ModelY(50, 50), 1e-9L);
  EXPECT_EQ(model.skala(), 1 / 50.0L);
  // a0 = b0 = 0 about the centroids; a1, b1 per normalised unit.
  EXPECT_NEAR(model.Coefficient(1), 0, 1e-9L);
  EXPECT_NEAR(model.Coefficient(2), 0, 1e-9L);
  EXPECT_NEAR(model.Coefficient(3), 50 * kA, 1e-12L);
  EXPECT_NEAR(model.Coefficient(4), 50 * kB, 1e-12L);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_NEAR(model.vx(i), kCorners[i - 1].e, 1e-12L) << i;
    EXPECT_NEAR(model.vy(i), 0, 1e-12L) << i;
  }
  // [vv] = 4 cm^2, m0 = sqrt(4e-4 / 4) = 1 cm.
  // Residuals carry one ulp of the 5.5e6 m coordinates (about 5e-13 m).
  EXPECT_NEAR(model.SumOfSquares(), 4e-4L, 1e-13L);
  EXPECT_NEAR(model.M0(), 0.01L, 1e-12L);
  // Cofactors: 1/m for the shifts, 1 / sum(u^2 + v^2) = 1/8 for a1 and b1.
  const long double cofactors[4] = {0.25L, 0.25L, 0.125L, 0.125L};
  for (int k = 1; k <= 4; ++k) {
    EXPECT_NEAR(model.Cofactor(k), cofactors[k - 1], 1e-15L) << k;
    EXPECT_NEAR(model.MeanError(k), 0.01L * std::sqrt(cofactors[k - 1]), 1e-12L) << k;
  }
}

TEST(FittedModel, EvaluatesTheModelAndTheCorrection) {
  const trk::FittedModel model = FittedSquare();
  trk::TransformedPoint t;
  // At a corner: exactly its secondary coordinates, the residual as correction.
  model.Evaluate(100, 0, 4, t);
  EXPECT_EQ(t.Xk, model.x2(2));
  EXPECT_EQ(t.Yk, model.y2(2));
  EXPECT_NEAR(t.dx, -0.01L, 1e-12L);
  // At the centre every corner weighs alike and the residuals cancel.
  model.Evaluate(50, 50, 4, t);
  EXPECT_NEAR(t.X, ModelX(50, 50), 1e-9L);
  EXPECT_NEAR(t.Y, ModelY(50, 50), 1e-9L);
  EXPECT_NEAR(t.dx, 0, 1e-12L);
  EXPECT_NEAR(t.dy, 0, 1e-12L);
  EXPECT_EQ(t.Xk, t.X + t.dx);
}

TEST(FittedModel, AFailedFitKeepsThePreviousOne) {
  trk::FittedModel model = FittedSquare();
  EXPECT_FALSE(model.Fit(2, 2, 4));  // 12 unknowns from 8 observations
  EXPECT_FALSE(model.Fit(1, 10, 4));
  EXPECT_EQ(model.Kind(), 1);
  EXPECT_EQ(model.Degree(), 1);
  EXPECT_NEAR(model.M0(), 0.01L, 1e-12L);
}

}  // namespace

namespace {

// A polynomial deformation of a few centimetres over a 3 km area, with optional noise.
struct DeletionCase {
  int kind, degree;
  long double noise;
};

// The parameter as CTest's test names show it; without it GoogleTest prints the struct's
// bytes, padding included, which change from build to build.
void PrintTo(const DeletionCase& c, std::ostream* out) {
  *out << "kind " << c.kind << ", degree " << c.degree << ", noise " << static_cast<double>(c.noise)
       << " m";
}

class DeletionAgainstRefits : public testing::TestWithParam<DeletionCase> {};

TEST_P(DeletionAgainstRefits, EveryFigureEqualsTheRefitWithoutThePoint) {
  const DeletionCase c = GetParam();
  constexpr int kPoints = 30;
  std::mt19937 random(17 * c.kind + c.degree);
  std::uniform_real_distribution<long double> spread(0, 3000);
  std::normal_distribution<long double> noise(0, c.noise > 0 ? c.noise : 1);
  std::vector<std::array<long double, 4>> points;
  for (int i = 0; i < kPoints; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    const long double s = (x - 5567500) / 1500, t = (y - 7456500) / 1500;
    long double dx = 0.21L + 0.03L * s - 0.02L * t, dy = -0.17L + 0.01L * s + 0.04L * t;
    for (int k = 2; k <= c.degree; ++k) {
      dx += 0.02L * std::pow(s, k) - 0.01L * std::pow(t, k - 1) * s;
      dy += 0.015L * std::pow(t, k) + 0.01L * std::pow(s, k - 1) * t;
    }
    if (c.noise > 0) dx += noise(random), dy += noise(random);
    points.push_back({x, y, x + dx, y + dy});
  }
  trk::FittedModel full, refit;
  for (int i = 1; i <= kPoints; ++i) {
    full.SetPrimary(i, points[i - 1][0], points[i - 1][1]);
    full.SetSecondary(i, points[i - 1][2], points[i - 1][3]);
  }
  ASSERT_TRUE(full.Fit(c.kind, c.degree, kPoints));
  std::vector<trk::DeletionFigures> figures;
  ASSERT_TRUE(full.Deletion(figures));
  for (int left = 1; left <= kPoints; ++left) {
    int k = 0;
    for (int i = 1; i <= kPoints; ++i) {
      if (i == left) continue;
      ++k;
      refit.SetPrimary(k, points[i - 1][0], points[i - 1][1]);
      refit.SetSecondary(k, points[i - 1][2], points[i - 1][3]);
    }
    ASSERT_TRUE(refit.Fit(c.kind, c.degree, kPoints - 1)) << left;
    trk::TransformedPoint t;
    refit.Evaluate(points[left - 1][0], points[left - 1][1], 0, t);
    const trk::DeletionFigures& f = figures[left];
    ASSERT_TRUE(f.predictable) << left;
    EXPECT_NEAR(f.dx, points[left - 1][2] - t.X, 1e-9L) << left;
    EXPECT_NEAR(f.dy, points[left - 1][3] - t.Y, 1e-9L) << left;
    EXPECT_NEAR(f.vvWithout, refit.SumOfSquares(), 1e-12L) << left;
    // The point as one outside the refit: its leverage there is h / (1 - h) of the full
    // fit's (Sherman-Morrison: a' (N - a a')^-1 a), and the model alone is Evaluate's.
    refit.SetPrimary(kPoints, points[left - 1][0], points[left - 1][1]);
    std::vector<long double> outside;
    ASSERT_TRUE(refit.Leverages(kPoints, kPoints, outside));
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_NEAR(outside[0], f.leverage / (1 - f.leverage), 1e-12L) << left;
    long double X, Y;
    refit.Value(points[left - 1][0], points[left - 1][1], X, Y);
    EXPECT_EQ(X, t.X);
    EXPECT_EQ(Y, t.Y);
  }
}

std::string Name(const testing::TestParamInfo<DeletionCase>& info) {
  return std::string(info.param.kind == 1 ? "Conformal" : "General") +
         std::to_string(info.param.degree) + (info.param.noise > 0 ? "Noisy" : "Exact");
}

std::vector<DeletionCase> Cases() {
  std::vector<DeletionCase> cases;
  for (int kind : {1, 2}) {
    for (int degree = 1; degree <= 4; ++degree) {
      for (long double noise : {0.0L, 0.01L})
        cases.push_back({kind, degree, noise});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(BothKindsDegreesOneToFour, DeletionAgainstRefits,
                         testing::ValuesIn(Cases()), Name);

// A point the others cannot determine: four points and a general model of degree 1 (three
// unknowns per coordinate) leave each point's leverage below 1, but three points make
// every leverage 1.
TEST(FittedModel, LeverageOneIsNamedNotDivided) {
  trk::FittedModel model;
  const long double corners[3][2] = {{0, 0}, {100, 0}, {0, 100}};
  for (int i = 1; i <= 3; ++i) {
    model.SetPrimary(i, 5567000 + corners[i - 1][0], 7456000 + corners[i - 1][1]);
    model.SetSecondary(i, 5567000.1L + corners[i - 1][0], 7456000.2L + corners[i - 1][1]);
  }
  ASSERT_TRUE(model.Fit(2, 1, 3));
  std::vector<trk::DeletionFigures> figures;
  ASSERT_TRUE(model.Deletion(figures));
  for (int i = 1; i <= 3; ++i)
    EXPECT_FALSE(figures[i].predictable) << i;
}

}  // namespace

namespace {

bool SameBits(long double a, long double b) {
  return std::memcmp(&a, &b, 10) == 0;
}

// Past the capacity of w the library's entry points read the four arrays; the face always
// reads its packed layout. Both must give the same bits, on either side of the capacity,
// at an adjustment point and between them.
TEST(FittedModel, PackedLayoutAndFourArraysGiveTheSameBits) {
  const std::int32_t capacity = TrkHausbrandtCapacity(TrkUnknowns(1, 1));
  for (const std::int32_t m : {std::int32_t{500}, capacity + 6}) {
    SCOPED_TRACE(m);
    TrkFit library;
    trk::FittedModel face;
    std::mt19937 random(m);
    std::normal_distribution<long double> noise(0, 0.02L);
    SpreadPoints(m, 3, [&](long double x, long double y) {
      const long double X = x + 0.2L + noise(random), Y = y - 0.3L + noise(random);
      library.Add(x, y, X, Y);
      face.SetPrimary(library.m, x, y);
      face.SetSecondary(library.m, X, Y);
    });
    ASSERT_TRUE(library.Run());
    ASSERT_TRUE(face.Fit(1, 1, m));
    // The library laid the points out in w only below its capacity.
    EXPECT_EQ(library.w[TrkHausbrandtIndex(4)], m <= capacity ? m : 0);
    std::vector<std::pair<long double, long double>> at = {{library.x1[7], library.y1[7]}};
    for (int k = 0; k < 50; ++k)
      at.emplace_back(5567000.0L + 61.3L * k, 7456000.0L + 47.9L * k);
    for (const auto& [x, y] : at) {
      const TrkFit::Result expected = library.At(x, y);
      trk::TransformedPoint r;
      face.Evaluate(x, y, m, r);
      EXPECT_TRUE(SameBits(r.X, expected.X) && SameBits(r.Y, expected.Y));
      EXPECT_TRUE(SameBits(r.dx, expected.dx) && SameBits(r.dy, expected.dy)) << x << " " << y;
      EXPECT_TRUE(SameBits(r.Xk, expected.Xk) && SameBits(r.Yk, expected.Yk));
    }
    trk::TransformedPoint own;
    face.Evaluate(library.x1[7], library.y1[7], m, own);
    EXPECT_EQ(own.Xk, library.x2[7]);  // an adjustment point gets its secondary coordinates
    // A fit made only to be looked at keeps no packed layout and evaluates from the arrays.
    trk::FittedModel unpacked = face;
    ASSERT_TRUE(unpacked.Fit(1, 1, m, false));
    for (const auto& [x, y] : at) {
      trk::TransformedPoint packed, plain;
      face.Evaluate(x, y, m, packed);
      unpacked.Evaluate(x, y, m, plain);
      EXPECT_TRUE(SameBits(plain.Xk, packed.Xk) && SameBits(plain.Yk, packed.Yk));
    }
  }
}

}  // namespace
