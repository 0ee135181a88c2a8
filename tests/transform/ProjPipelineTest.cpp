// The model as a PROJ pipeline, applied by PROJ itself (the C API) at the adjustment points
// and at points between them, against the program's own model values before correction.
#include "transform/ProjPipeline.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <random>

#include "tests/transform/TransformTestFolder.h"

namespace {

struct PipelineCase {
  int kind, degree;
};

// The parameter as CTest's test names show it: stable from build to build.
void PrintTo(const PipelineCase& c, std::ostream* out) {
  *out << "kind " << c.kind << ", degree " << c.degree;
}

class PipelineThroughProj : public testing::TestWithParam<PipelineCase> {};

TEST_P(PipelineThroughProj, AgreesWithTheModelToAMillimetre) {
  const PipelineCase c = GetParam();
  // 130 points over 3 km with a smooth deformation of a few decimetres.
  std::mt19937 random(7 * c.kind + c.degree);
  std::uniform_real_distribution<long double> spread(0, 3000);
  std::normal_distribution<long double> noise(0, 0.01L);
  trk::FittedModel model;
  constexpr int kPoints = 130;
  for (int i = 1; i <= kPoints; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    const long double s = (x - 5567500) / 1500, t = (y - 7456500) / 1500;
    model.SetPrimary(i, x, y);
    model.SetSecondary(i, x + 0.21L + 0.1L * s * s - 0.05L * t + noise(random),
                       y - 0.17L + 0.08L * s * t + 0.04L * t * t * t + noise(random));
  }
  ASSERT_TRUE(model.Fit(c.kind, c.degree, kPoints));
  const std::string pipeline = ProjPipeline(model);
  PJ_CONTEXT* context = proj_context_create();
  PJ* operation = proj_create(context, pipeline.c_str());
  ASSERT_NE(operation, nullptr) << pipeline;
  auto check = [&](long double x, long double y) {
    trk::TransformedPoint expected;
    model.Evaluate(x, y, 0, expected);
    const PJ_COORD out = proj_trans(
        operation, PJ_FWD, proj_coord(static_cast<double>(x), static_cast<double>(y), 0, 0));
    EXPECT_NEAR(out.xy.x, static_cast<double>(expected.X), 1e-3) << x << " " << y;
    EXPECT_NEAR(out.xy.y, static_cast<double>(expected.Y), 1e-3) << x << " " << y;
  };
  for (int i = 1; i <= kPoints; ++i)
    check(model.x(i), model.y(i));
  for (int i = 0; i <= 10; ++i) {
    for (int j = 0; j <= 10; ++j)
      check(5566000 + 300.0L * i, 7455000 + 300.0L * j);
  }
  proj_destroy(operation);
  proj_context_destroy(context);
}

INSTANTIATE_TEST_SUITE_P(BothKindsDegreesOneThreeNine, PipelineThroughProj,
                         testing::Values(PipelineCase{1, 1}, PipelineCase{1, 3}, PipelineCase{1, 9},
                                         PipelineCase{2, 1}, PipelineCase{2, 3},
                                         PipelineCase{2, 9}),
                         [](const testing::TestParamInfo<PipelineCase>& info) {
                           return std::string(info.param.kind == 1 ? "Conformal" : "General") +
                                  std::to_string(info.param.degree);
                         });

TEST_F(TransformRun, APipelineIsWrittenOnlyWithAFit) {
  folder.WriteAdjustmentPoints({{"1", 0, 0, 1, 1}});  // too few for any model
  Run();
  EXPECT_FALSE(folder.Exists("Transformacja.proj"));
  folder.WriteAdjustmentPoints(
      {{"1", 0, 0, 10, 10}, {"2", 100, 0, 110, 10}, {"3", 0, 100, 10, 110}});
  Run();
  const std::vector<std::string> lines = FileLines("Transformacja.proj");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("+proj=pipeline +step +proj=horner ", 0), 0u);
  for (std::size_t k = 0; k + 1 < lines.size(); ++k)
    EXPECT_EQ(lines[k][0], '#');
  // A defective fit afterwards leaves the file of the last fit as it was.
  const std::string before = folder.Read("Transformacja.proj");
  folder.WriteAdjustmentPoints({{"1", 0, 0, 1, 1}});
  Run();
  EXPECT_EQ(folder.Read("Transformacja.proj"), before);
}

}  // namespace
