#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/trk/TrkFixture.h"

namespace {

// Closed-form Helmert: X = Xc + a(x-xc) - b(y-yc), Y = Yc + b(x-xc) + a(y-yc).
struct Helmert {
  long double xc, yc, Xc, Yc, a, b;
};

Helmert ClosedFormHelmert(const TrkFit& f) {
  Helmert h{0, 0, 0, 0, 0, 0};
  for (int i = 1; i <= f.m; ++i) {
    h.xc += f.x1[i] / f.m;
    h.yc += f.y1[i] / f.m;
    h.Xc += f.x2[i] / f.m;
    h.Yc += f.y2[i] / f.m;
  }
  long double sxx = 0, sa = 0, sb = 0;
  for (int i = 1; i <= f.m; ++i) {
    const long double dx = f.x1[i] - h.xc, dy = f.y1[i] - h.yc;
    const long double dX = f.x2[i] - h.Xc, dY = f.y2[i] - h.Yc;
    sxx += dx * dx + dy * dy;
    sa += dx * dX + dy * dY;
    sb += dx * dY - dy * dX;
  }
  h.a = sa / sxx;
  h.b = sb / sxx;
  return h;
}

TrkFit NoisyHelmertPoints(int count) {
  TrkFit f;
  std::mt19937 random(50);
  std::normal_distribution<long double> noise(0, 0.02L);
  const long double angle = 3e-6L, scale = 1 + 8e-6L;
  SpreadPoints(count, 11, [&](long double x, long double y) {
    const long double X = 0.21L + scale * (x * std::cos(angle) - y * std::sin(angle));
    const long double Y = -0.17L + scale * (x * std::sin(angle) + y * std::cos(angle));
    f.Add(x, y, X + noise(random), Y + noise(random));
  });
  return f;
}

TEST(Fit, ConformalDegree1AgreesWithClosedFormHelmert) {
  TrkFit f = NoisyHelmertPoints(50);
  ASSERT_TRUE(f.Run());
  const Helmert h = ClosedFormHelmert(f);
  long double vv = 0;
  for (int i = 1; i <= f.m; ++i) {
    const long double dx = f.x1[i] - h.xc, dy = f.y1[i] - h.yc;
    const long double X = h.Xc + h.a * dx - h.b * dy, Y = h.Yc + h.b * dx + h.a * dy;
    const auto r = f.At(f.x1[i], f.y1[i]);
    EXPECT_NEAR(r.X, X, 1e-9L);
    EXPECT_NEAR(r.Y, Y, 1e-9L);
    EXPECT_NEAR(f.vx[i], f.x2[i] - X, 1e-9L);
    vv += (f.x2[i] - X) * (f.x2[i] - X) + (f.y2[i] - Y) * (f.y2[i] - Y);
  }
  EXPECT_NEAR(f.w[1], vv, 1e-12L);
  // a[1] and b[1] are the similarity parameters in normalised units.
  EXPECT_NEAR(f.w[4] * f.skala, h.a, 1e-15L);
  EXPECT_NEAR(f.w[5] * f.skala, h.b, 1e-15L);
}

TEST(Fit, GeneralDegree1AgreesWithClosedFormAffine) {
  TrkFit f = NoisyHelmertPoints(40);
  f.kind = 2;
  ASSERT_TRUE(f.Run());
  // Centred affine fit per coordinate: [sxx sxy; sxy syy] [p q]' = [sxZ syZ]'.
  long double xc = 0, yc = 0, Xc = 0, Yc = 0;
  for (int i = 1; i <= f.m; ++i) {
    xc += f.x1[i] / f.m, yc += f.y1[i] / f.m, Xc += f.x2[i] / f.m, Yc += f.y2[i] / f.m;
  }
  long double sxx = 0, sxy = 0, syy = 0, sxX = 0, syX = 0, sxY = 0, syY = 0;
  for (int i = 1; i <= f.m; ++i) {
    const long double dx = f.x1[i] - xc, dy = f.y1[i] - yc;
    sxx += dx * dx, sxy += dx * dy, syy += dy * dy;
    sxX += dx * (f.x2[i] - Xc), syX += dy * (f.x2[i] - Xc);
    sxY += dx * (f.y2[i] - Yc), syY += dy * (f.y2[i] - Yc);
  }
  const long double det = sxx * syy - sxy * sxy;
  const long double p = (sxX * syy - syX * sxy) / det, q = (syX * sxx - sxX * sxy) / det;
  const long double s = (sxY * syy - syY * sxy) / det, t = (syY * sxx - sxY * sxy) / det;
  for (int i = 1; i <= f.m; ++i) {
    const auto r = f.At(f.x1[i], f.y1[i]);
    EXPECT_NEAR(r.X, Xc + p * (f.x1[i] - xc) + q * (f.y1[i] - yc), 1e-9L);
    EXPECT_NEAR(r.Y, Yc + s * (f.x1[i] - xc) + t * (f.y1[i] - yc), 1e-9L);
  }
}

// A smooth, honest deformation of every degree: the fit of that degree must reproduce it.
struct ModelCase {
  int kind, degree;
};

// The parameter as CTest's test names show it: stable from build to build.
void PrintTo(const ModelCase& c, std::ostream* out) {
  *out << "kind " << c.kind << ", degree " << c.degree;
}

class FitReproducesPolynomial : public testing::TestWithParam<ModelCase> {};

TEST_P(FitReproducesPolynomial, ResidualsVanish) {
  const ModelCase c = GetParam();
  TrkFit f;
  f.kind = c.kind;
  f.n = c.degree;
  const int points = c.kind == 1 ? 4 * (c.degree + 2) : (c.degree + 1) * (c.degree + 2) + 20;
  const long double xc = 5568500, yc = 7457500, reach = 1600;
  SpreadPoints(points, 3 + c.degree, [&](long double x, long double y) {
    const long double u = (x - xc) / reach, v = (y - yc) / reach;
    long double X = x + 0.3L, Y = y - 0.2L;
    if (c.kind == 1) {  // Re and Im of 0.05 z^n
      long double p = 1, q = 0;
      for (int k = 0; k < c.degree; ++k) {
        const long double next = p * u - q * v;
        q = p * v + q * u;
        p = next;
      }
      X += 0.05L * p, Y += 0.05L * q;
    } else {
      X += 0.04L * std::pow(u, c.degree) - 0.03L * std::pow(v, c.degree - 1) * u;
      Y += 0.02L * std::pow(v, c.degree) + 0.01L * std::pow(u, c.degree - 1) * v;
    }
    f.Add(x, y, X, Y);
  });
  ASSERT_TRUE(f.Run()) << "kind " << c.kind << " degree " << c.degree;
  EXPECT_LT(std::sqrt(f.w[1] / f.m), 1e-7L);
  for (int i = 1; i <= f.m; ++i) {
    ASSERT_LT(std::fabs(f.vx[i]) + std::fabs(f.vy[i]), 1e-6L) << i;
  }
}

std::vector<ModelCase> AllModels() {
  std::vector<ModelCase> cases;
  for (int kind = 1; kind <= 2; ++kind) {
    for (int degree = 1; degree <= 9; ++degree)
      cases.push_back({kind, degree});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryKindAndDegree, FitReproducesPolynomial,
                         testing::ValuesIn(AllModels()), [](const auto& info) {
                           return std::string(info.param.kind == 1 ? "Conformal" : "General") +
                                  std::to_string(info.param.degree);
                         });

struct DefectCase {
  const char* name;
  int kind, degree;
  std::function<void(TrkFit&)> points;
};

TEST(Fit, DefectiveSystemsGiveStatus1AndLeaveOutputsAlone) {
  const DefectCase cases[] = {
      {"coincident points", 1, 1,
       [](TrkFit& f) {
         for (int i = 0; i < 5; ++i)
           f.Add(100, 200, 300 + i, 400);
       }},
      {"affine on a line", 2, 1,
       [](TrkFit& f) {
         for (int i = 0; i < 6; ++i)
           f.Add(100 + i, 200 + 2 * i, 300 + i, 400 - i);
       }},
      {"affine nearly on a line", 2, 1,
       [](TrkFit& f) {
         for (int i = 0; i < 6; ++i)
           f.Add(1000 + i, 2000 + 2 * i + (i % 2) * 1e-12L, i, -i);
       }},
      {"quadratic on a circle", 2, 2,
       [](TrkFit& f) {
         for (int i = 0; i < 30; ++i) {
           const long double a = i * 0.2094395102393195L;
           f.Add(500 + 100 * std::cos(a), 600 + 100 * std::sin(a), i, -i);
         }
       }},
      {"fewer equations than unknowns", 2, 2, [](TrkFit& f) { f.Add(1, 2, 3, 4); }},
      {"degree 0", 1, 0, [](TrkFit& f) { f.Add(1, 2, 3, 4), f.Add(5, 6, 7, 8); }},
      {"degree 10", 1, 10, [](TrkFit& f) { f.Add(1, 2, 3, 4), f.Add(5, 6, 7, 8); }},
      {"no points", 1, 1, [](TrkFit&) {}},
  };
  for (const DefectCase& c : cases) {
    TrkFit f;
    f.kind = c.kind;
    f.n = c.degree;
    c.points(f);
    f.w[1] = 42;
    f.skala = 7;
    EXPECT_FALSE(f.Run()) << c.name;
    EXPECT_EQ(f.status, 1) << c.name;
    EXPECT_EQ(f.w[1], 42) << c.name;
    EXPECT_EQ(f.skala, 7) << c.name;
  }
}

TEST(Fit, SolutionArrayLayout) {
  // Four points at the corners of a square around its centre: u, v = +-1, so the normal
  // matrix of the Helmert model is diag(4, 4, 8, 8) and the cofactors 1/4, 1/4, 1/8, 1/8.
  TrkFit f;
  f.Add(995, 995, 1095.01L, 1195);
  f.Add(995, 1005, 1095, 1205);
  f.Add(1005, 995, 1105, 1195);
  f.Add(1005, 1005, 1105, 1205);
  ASSERT_TRUE(f.Run());
  EXPECT_EQ(f.skala, 0.2L);
  EXPECT_EQ(f.xo, 1000);
  EXPECT_EQ(f.Xo, 1100.0025L);
  const int u = 4;
  EXPECT_NEAR(f.w[TrkFirstCofactorIndex(u)], 0.25L, 1e-18L);
  EXPECT_NEAR(f.w[TrkCofactorIndex(u, 2)], 0.25L, 1e-18L);
  EXPECT_NEAR(f.w[TrkCofactorIndex(u, 3)], 0.125L, 1e-18L);
  EXPECT_NEAR(f.w[TrkCofactorIndex(u, 4)], 0.125L, 1e-18L);
  EXPECT_EQ(TrkCofactorIndex(u, 2), u + 3);
  // a[1] = sum(u dX + v dY) / 8 in metres per normalised unit.
  EXPECT_NEAR(f.w[4], 39.99L / 8, 1e-15L);
  long double vv = 0;
  for (int i = 1; i <= 4; ++i)
    vv += f.vx[i] * f.vx[i] + f.vy[i] * f.vy[i];
  EXPECT_EQ(f.w[1], vv);
}

}  // namespace
