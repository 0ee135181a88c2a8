#include "county/Seams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "transform/RunTransformation.h"

namespace {

constexpr long double kX = 5567000, kY = 7456000;

// A fit that takes (x, y) to c + k (p - c) + (shift, 0) with c = (kX, kY), from four points
// it meets exactly: no residual, so no correction, and every position goes the same way.
std::shared_ptr<const TransformationResult> ExactFit(long double shift, long double k = 1) {
  auto input = std::make_shared<TransformationInput>();
  input->opened = true;
  int nr = 0;
  for (const auto& [dx, dy] :
       {std::pair{-500.0L, -500.0L}, {-500.0L, 500.0L}, {500.0L, 500.0L}, {500.0L, -500.0L}}) {
    input->points.push_back(
        {std::to_string(++nr), kX + dx, kY + dy, kX + k * dx + shift, kY + k * dy});
  }
  TransformationWork work;
  return ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work);
}

struct FolderCase {
  long double shift, scale;
  std::vector<MapPosition> positions;
  bool fitted = true;
};

struct ExpectedSeam {
  int a, b;
  std::int64_t shared;
  long double max, rms;
  std::size_t over;
};

struct SeamCase {
  const char* name;
  std::vector<FolderCase> folders;
  std::vector<ExpectedSeam> seams;
};

const long double kNext = std::nextafter(kX, std::numeric_limits<long double>::infinity());

// Hand-worked seams: d of a shared vertex is the difference of the two shifts, or with a
// scale k about c, (k - 1) |p - c|.
const SeamCase kSeamCases[] = {
    {"one shared vertex, shifts half a metre apart",
     {{0, 1, {{kX, kY}, {kX + 1, kY}}}, {0.5L, 1, {{kX, kY}, {kX + 2, kY}}}},
     {{0, 1, 1, 0.5L, 0.5L, 1}}},
    {"repeats within a folder count once",
     {{0, 1, {{kX, kY}, {kX, kY}}}, {0.02L, 1, {{kX, kY}, {kX, kY}, {kX, kY}}}},
     {{0, 1, 1, 0.02L, 0.02L, 1}}},
    {"minus and plus zero are one value",
     {{0, 1, {{0.0L, kY}}}, {0.02L, 1, {{-0.0L, kY}}}},
     {{0, 1, 1, 0.02L, 0.02L, 1}}},
    {"the last bit apart: not one vertex", {{0, 1, {{kX, kY}}}, {0.5L, 1, {{kNext, kY}}}}, {}},
    {"within the tolerance: shared, none over",
     {{0, 1, {{kX, kY}}}, {0.009L, 1, {{kX, kY}}}},
     {{0, 1, 1, 0.009L, 0.009L, 0}}},
    {"three folders at one vertex: every pair",
     {{0, 1, {{kX, kY}}}, {0.004L, 1, {{kX, kY}}}, {0.02L, 1, {{kX, kY}}}},
     {{0, 1, 1, 0.004L, 0.004L, 0}, {0, 2, 1, 0.02L, 0.02L, 1}, {1, 2, 1, 0.016L, 0.016L, 1}}},
    {"a folder without a fit is not compared",
     {{0, 1, {{kX, kY}}}, {0.5L, 1, {{kX, kY}}, false}, {0.02L, 1, {{kX, kY}}}},
     {{0, 2, 1, 0.02L, 0.02L, 1}}},
    {"RMS over vertices 100 m and 200 m from the centre of a scale of 1e-5",
     {{0, 1, {{kX + 100, kY}, {kX, kY + 200}, {kX + 7, kY + 7}}},
      {0, 1 + 1e-5L, {{kX + 100, kY}, {kX, kY + 200}}}},
     {{0, 1, 2, 0.002L, std::sqrt((1e-6L + 4e-6L) / 2), 0}}},
};

class SeamSearchTest : public ::testing::TestWithParam<SeamCase> {};

TEST_P(SeamSearchTest, MatchesTheHandWorkedSeams) {
  const SeamCase& c = GetParam();
  std::vector<std::shared_ptr<const TransformationResult>> fits;
  std::vector<SeamFolder> folders;
  for (const FolderCase& f : c.folders) {
    fits.push_back(ExactFit(f.shift, f.scale));
    ASSERT_TRUE(fits.back()->FittedTransformation.Usable());
    SeamFolder folder;
    folder.positions = f.positions;
    folder.fit = f.fitted ? &fits.back()->FittedTransformation : nullptr;
    folders.push_back(folder);
  }
  for (int threads : {1, 3}) {
    const SeamFindings found = FindSeams(folders, {0.01L, threads});
    ASSERT_EQ(found.seams.size(), c.seams.size()) << threads;
    for (std::size_t k = 0; k < c.seams.size(); ++k) {
      const Seam& s = found.seams[k];
      const ExpectedSeam& e = c.seams[k];
      EXPECT_EQ(s.a, e.a);
      EXPECT_EQ(s.b, e.b);
      EXPECT_EQ(s.shared, e.shared);
      EXPECT_NEAR(static_cast<double>(s.max), static_cast<double>(e.max), 1e-8);
      EXPECT_NEAR(static_cast<double>(s.rms), static_cast<double>(e.rms), 1e-8);
      ASSERT_EQ(s.overTolerance.size(), e.over);
      for (const SeamVertex& v : s.overTolerance)
        EXPECT_NEAR(static_cast<double>(v.d),
                    std::hypot(static_cast<double>(v.bX - v.aX), static_cast<double>(v.bY - v.aY)),
                    1e-9);
    }
    EXPECT_EQ(found.AnyOverTolerance(),
              std::any_of(c.seams.begin(), c.seams.end(),
                          [](const ExpectedSeam& e) { return e.over > 0; }));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SeamSearchTest, ::testing::ValuesIn(kSeamCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

// Many folders sharing a random half of a common pool of vertices: each pair's count is the
// number of pool vertices both drew, whatever the threads.
TEST(SeamSearch, PairCountsOfRandomSharing) {
  constexpr int kFolders = 6, kPool = 3000;
  std::vector<std::vector<char>> holds(kFolders, std::vector<char>(kPool));
  std::vector<SeamFolder> folders(kFolders);
  const auto fit = ExactFit(0);
  unsigned seed = 7;
  for (int f = 0; f < kFolders; ++f) {
    folders[f].fit = &fit->FittedTransformation;
    for (int v = 0; v < kPool; ++v) {
      seed = seed * 1103515245u + 12345u;
      holds[f][v] = (seed >> 16) & 1;
      if (holds[f][v]) folders[f].positions.push_back({kX + v * 0.01L, kY - v * 0.37L});
    }
  }
  for (int threads : {1, 2, 5}) {
    const SeamFindings found = FindSeams(folders, {0.01L, threads});
    std::size_t k = 0;
    for (int a = 0; a < kFolders; ++a) {
      for (int b = a + 1; b < kFolders; ++b) {
        std::int64_t both = 0;
        for (int v = 0; v < kPool; ++v)
          both += holds[a][v] && holds[b][v];
        ASSERT_LT(k, found.seams.size());
        EXPECT_EQ(found.seams[k].a, a);
        EXPECT_EQ(found.seams[k].b, b);
        EXPECT_EQ(found.seams[k].shared, both);
        EXPECT_EQ(found.seams[k].max, 0);
        ++k;
      }
    }
  }
}

struct PointCase {
  const char* name;
  long double dx1, dy1, dx2, dy2;
  bool differs;
};

TEST(SharedAdjustmentPoints, AgreeToTheMillimetre) {
  const PointCase cases[] = {
      {"equal", 0, 0, 0, 0, false},
      {"0.9 mm apart", 0.0009L, 0, 0, -0.0009L, false},
      {"1.1 mm apart in x1", 0.0011L, 0, 0, 0, true},
      // Each coordinate of each system alone: a check that looks at one coordinate twice
      // passes one of these as the same point.
      {"1.1 mm apart in y1 only", 0, 0.0011L, 0, 0, true},
      {"1.1 mm apart in x2 only", 0, 0, -0.0011L, 0, true},
      {"1.1 mm apart in y2 only", 0, 0, 0, 0.0011L, true},
      {"apart in the secondary system only", 0, 0, 0, 0.05L, true},
  };
  for (const PointCase& c : cases) {
    const TPktDostosowania a = {{"7", kX, kY, kX + 1, kY + 1}, {"8", kX, kY, kX, kY}};
    const TPktDostosowania b = {{"9", kX, kY, kX, kY},
                                {"7", kX + c.dx1, kY + c.dy1, kX + 1 + c.dx2, kY + 1 + c.dy2},
                                {"7", kX + 5, kY, kX, kY}};  // a repeat: the first stands
    const auto shared = SharedAdjustmentPoints({&a, &b});
    ASSERT_EQ(shared.size(), 1u) << c.name;
    EXPECT_EQ(shared[0].nr, PointNumber("7"));
    EXPECT_EQ(shared[0].differs, c.differs) << c.name;
    EXPECT_NEAR(static_cast<double>(shared[0].dx1), static_cast<double>(c.dx1), 1e-6) << c.name;
    EXPECT_NEAR(static_cast<double>(shared[0].dy1), static_cast<double>(c.dy1), 1e-6) << c.name;
    EXPECT_NEAR(static_cast<double>(shared[0].dx2), static_cast<double>(c.dx2), 1e-6) << c.name;
    EXPECT_NEAR(static_cast<double>(shared[0].dy2), static_cast<double>(c.dy2), 1e-6) << c.name;
  }
}

}  // namespace
