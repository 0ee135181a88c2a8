// Judging the adjustment points on generated folders whose answer is known: a blunder among
// noisy Helmert points, a general degree-2 deformation, and faulty exclusion lists.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "tests/Refit.h"
#include "tests/transform/TransformTestFolder.h"
#include "textio/Cp1250.h"

namespace {

using Lines = std::vector<std::string>;

// `count` points over 3 km with the secondary coordinates from `shift` (metres) plus noise.
template <typename Shift>
TPktDostosowania Points(int count, long double noise, Shift shift, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<long double> spread(0, 3000);
  std::normal_distribution<long double> error(0, noise);
  TPktDostosowania points;
  for (int i = 1; i <= count; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    const auto [dx, dy] = shift((x - 5567500) / 1500, (y - 7456500) / 1500);
    points.push_back(
        {"P" + std::to_string(i), x, y, x + dx + error(random), y + dy + error(random)});
  }
  return points;
}

// A Helmert transformation: shift, 6 ppm scale, a small rotation.
std::pair<long double, long double> Helmert(long double s, long double t) {
  return {0.21L + 0.009L * s - 0.004L * t, -0.17L + 0.004L * s + 0.009L * t};
}

std::vector<std::string> Flagged(const TransformationState& state) {
  std::vector<std::string> names;
  for (const AdjustmentCheck& c : state.Result().checks) {
    if (c.flagged) names.emplace_back(c.nr.View());
  }
  return names;
}

TEST_F(TransformRun, ABlunderAloneIsFlaggedAndExcludingItRestoresM0) {
  TPktDostosowania points = Points(30, 0.01L, Helmert, 30);
  points[11].x2 += 0.5L;  // P12 moved by half a metre
  folder.WriteAdjustmentPoints(points);
  Run();
  EXPECT_EQ(Flagged(state), Lines{"P12"});
  EXPECT_GT(Fitted().figures.m0, 0.05L);

  folder.Write("Wykluczone.txt", "P12\r\n");
  Run();
  const TFittedTransformation& f = Fitted();
  EXPECT_EQ(f.ls, 29);
  EXPECT_EQ(f.lp, 30);
  EXPECT_GT(f.figures.m0, 0.007L);
  EXPECT_LT(f.figures.m0, 0.013L);
  EXPECT_TRUE(Flagged(state).empty());
  // The excluded point is a control point: about 0.5 m off, before and after the correction.
  const AdjustmentCheck& control = state.Result().checks.back();
  EXPECT_TRUE(control.excluded);
  EXPECT_EQ(control.nr.View(), "P12");
  EXPECT_NEAR(control.dModel, 0.5L, 0.05L);
  EXPECT_NEAR(control.d, 0.5L, 0.05L);
  EXPECT_EQ(ReportLines("  Wyłączone z dopasowania"),
            Lines{"  Wyłączone z dopasowania (Wykluczone.txt)       = 1"});
  EXPECT_EQ(FileLines("xy_sk1.tra").size(), 1u);  // the excluded point, listed as a check point
}

TEST_F(TransformRun, AGeneralDegreeTwoDeformationIsSuggested) {
  folder.WriteAdjustmentPoints(Points(
      80, 0.01L,
      [](long double s, long double t) {
        const auto [hx, hy] = Helmert(s, t);
        return std::pair{hx + 0.04L * s * s, hy + 0.03L * t * t - 0.02L * s * t};
      },
      80));
  Run();
  ASSERT_FALSE(state.Result().models.empty());
  int suggested = 0;
  for (const ModelRow& m : state.Result().models) {
    if (!m.suggested) continue;
    ++suggested;
    EXPECT_EQ(m.kind, 2);
    EXPECT_EQ(m.degree, 2);
  }
  EXPECT_EQ(suggested, 1);
  // The run itself keeps the chosen model.
  EXPECT_EQ(Fitted().model.Kind(), 1);
  EXPECT_EQ(Fitted().model.Degree(), 1);
}

TEST_F(TransformRun, FaultyExclusionListsAreNamedOnceAndOtherwiseIgnored) {
  folder.WriteAdjustmentPoints(Points(10, 0.01L, Helmert, 10));
  Run();
  const std::string plain = folder.Read("Protokol.tra") + folder.Read("xy_sk.tra");
  struct Case {
    const char* name;
    std::string file;
    Lines problems;
    int excluded;
  };
  const Case cases[] = {
      {"comments and blank lines only", "# nic\r\n\r\n   \r\n", {}, 0},
      // A comment is known after trimming: an indented one is no point number.
      {"indented comments", "  # uwaga\r\n\t#x\r\nP3\r\n", {}, 1},
      {"unknown number",
       "P99\n",
       {"Wykluczone.txt, wiersz 1: punktu P99 nie ma wśród punktów dostosowania"},
       0},
      {"repeated number, blanks around",
       "  P3 \r\nP3\r\n",
       {"Wykluczone.txt, wiersz 2: numer P3 powtórzony"},
       1},
      {"unreadable line",
       std::string("P2\r\nP\x01"
                   "4\r\n",
                   9),
       {"Wykluczone.txt, wiersz 2: wiersz nieczytelny"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder.Write("Wykluczone.txt", c.file);
    window.messages.clear();
    Run();
    EXPECT_EQ(state.Result().exclusions.problems, c.problems);
    EXPECT_EQ(state.Result().excluded, c.excluded);
    EXPECT_EQ(window.messages.size(), c.problems.empty() ? 0u : 1u);
    const std::string kontrola = textio::Cp1250ToUtf8(folder.Read("Kontrola.tra"));
    for (const std::string& problem : c.problems)
      EXPECT_NE(kontrola.find("  " + problem), std::string::npos) << kontrola;
    if (c.excluded == 0) {
      // Nothing excluded: the report files are those of a run without the list.
      EXPECT_EQ(folder.Read("Protokol.tra") + folder.Read("xy_sk.tra"), plain);
    }
  }
}

TEST_F(TransformRun, ExcludingTooManyPointsLeavesNoTransformation) {
  folder.WriteAdjustmentPoints(Points(3, 0.01L, Helmert, 3));
  folder.Write("Wykluczone.txt", "P1\r\nP2\r\n");
  Run();
  EXPECT_FALSE(Fitted().fitted);
  EXPECT_FALSE(Fitted().Usable());
  EXPECT_TRUE(state.Result().checks.empty());
  EXPECT_NE(textio::Cp1250ToUtf8(folder.Read("Kontrola.tra")).find("Brak transformacji"),
            std::string::npos);
}

TEST_F(TransformRun, ModelsPastTheTimeBudgetAreListedAsSkipped) {
  folder.WriteAdjustmentPoints(Points(40, 0.01L, Helmert, 40));
  state.comparisonBudget = 0;
  Run();
  int computed = 0, skipped = 0;
  for (const ModelRow& m : state.Result().models) {
    computed += m.skipped ? 0 : 1;
    skipped += m.skipped ? 1 : 0;
  }
  EXPECT_EQ(computed, 1);  // the first is always fitted; the clock runs out after it
  EXPECT_EQ(skipped, static_cast<int>(state.Result().models.size()) - 1);
  EXPECT_NE(textio::Cp1250ToUtf8(folder.Read("Kontrola.tra")).find("pominięty (limit czasu 0 s)"),
            std::string::npos);
}

}  // namespace

namespace {

// On simulated clean data many points lie near the critical value on either side: each is
// flagged exactly when its T from brute-force refits passes it. With v = (1 - h) d, the
// statistic (1 - h) |d|^2 / (2 m0(i)^2) is |v| |d| / (2 m0(i)^2), all from the refit but v.
TEST_F(TransformRun, TheFlagFollowsTheCriticalValueOnEitherSide) {
  const TPktDostosowania points = Points(1200, 0.01L, Helmert, 1200);
  folder.WriteAdjustmentPoints(points);
  state.comparisonBudget = 0;
  Run();
  ASSERT_EQ(state.Result().checks.size(), points.size());
  EXPECT_EQ(state.Result().testDegrees, 2 * 1200 - 4 - 2);
  const long double critical = 1197 * (std::pow(0.001L, -2.0L / 2394) - 1);
  int justBelow = 0, justAbove = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const AdjustmentCheck& c = state.Result().checks[i];
    ASSERT_EQ(c.nr.View(), points[i].Nr);
    const Refit refit = RefitWithout(points, 1, 1, i);
    ASSERT_TRUE(c.m0i && c.t);
    EXPECT_NEAR(c.d, refit.d, 1e-9L) << points[i].Nr;
    EXPECT_NEAR(*c.m0i, refit.m0i, 1e-12L) << points[i].Nr;
    const long double t = std::hypot(c.vx, c.vy) * refit.d / (2 * refit.m0i * refit.m0i);
    EXPECT_NEAR(*c.t, t, 1e-6L * t) << points[i].Nr;
    if (std::fabs(t - critical) < 1e-6L) continue;  // too close to call from the refit
    EXPECT_EQ(c.flagged, t > critical) << points[i].Nr << " T = " << double(t);
    justBelow += t > 0.8L * critical && t < critical ? 1 : 0;
    justAbove += t > critical && t < 1.5L * critical ? 1 : 0;
  }
  EXPECT_GE(justBelow, 2);
  EXPECT_GE(justAbove, 1);
}

// The critical value against printed tables of F(2, nu) at 0.999.
TEST(FisherCritical, MatchesTheTables) {
  const std::pair<int, long double> table[] = {
      {5, 37.122L}, {10, 14.905L}, {20, 9.9526L}, {60, 7.7677L}, {120, 7.3211L}};
  for (const auto& [nu, value] : table)
    EXPECT_NEAR(FisherCritical(nu), value, 5e-4L) << nu;
  EXPECT_NEAR(FisherCritical(100000000), std::log(1000.0L), 1e-6L);  // ln(1/alpha)
}

// Simulated clean data with strong edge leverage (a dense core and a few far points), both
// kinds, degrees 1 to 3, Gaussian noise: over about 20,000 point tests the flag rate lies
// within binomial bounds around alpha = 0.001, while |d| > 3 m0(i) would flag the edge
// points far more often.
TEST(PointTest, FlagRateOnCleanDataIsAlphaAlsoAtTheEdges) {
  std::mt19937 random(20261208);
  std::uniform_real_distribution<long double> core(0, 800), angle(0, 6.283185307179586L),
      reach(3000, 6000);
  std::normal_distribution<long double> noise(0, 0.01L);
  int tests = 0, flags = 0, edgeTests = 0, oldEdgeFlags = 0;
  for (int set = 0; tests < 20000; ++set) {
    const int kind = 1 + set % 2, degree = 1 + (set / 2) % 3;
    constexpr int kCore = 52, kEdge = 8;
    TFittedTransformation f;
    f.Nr.resize(kCore + kEdge + 1);
    for (int i = 1; i <= kCore + kEdge; ++i) {
      long double x = 5566000 + core(random), y = 7455000 + core(random);
      if (i > kCore) {
        const long double a = angle(random), r = reach(random);
        x = 5566400 + r * std::cos(a), y = 7455400 + r * std::sin(a);
      }
      f.Nr[i] = PointNumber("P" + std::to_string(i));
      f.model.SetPrimary(i, x, y);
      f.model.SetSecondary(i, x + 0.3L + 1e-6L * (y - 7455000) + noise(random),
                           y - 0.2L + 2e-6L * (x - 5566000) + noise(random));
    }
    f.ls = f.lp = kCore + kEdge;
    f.fitted = f.model.Fit(kind, degree, f.ls);
    ASSERT_TRUE(f.fitted);
    std::vector<AdjustmentCheck> checks;
    CheckAdjustmentPoints(f, 0, 1, checks);
    for (std::size_t k = 0; k < checks.size(); ++k) {
      const AdjustmentCheck& c = checks[k];
      if (!c.t) continue;
      ++tests;
      flags += c.flagged ? 1 : 0;
      if (k >= kCore && *c.h > 0.3L) {
        ++edgeTests;
        oldEdgeFlags += c.d > 3 * *c.m0i ? 1 : 0;
      }
    }
  }
  // Binomial(20,000, 0.001): mean 20, standard deviation 4.5; the bounds are 3.5 of them.
  RecordProperty("flags", flags);
  RecordProperty("tests", tests);
  RecordProperty("edge_tests", edgeTests);
  RecordProperty("old_edge_flags", oldEdgeFlags);
  EXPECT_GE(flags, 5) << tests;
  EXPECT_LE(flags, 36) << tests;
  // The old rule at the edges: far above alpha (each such point about exp(-4.5 (1 - h))).
  ASSERT_GE(edgeTests, 200);
  EXPECT_GT(oldEdgeFlags, 10 * 0.001 * edgeTests + 10) << edgeTests;
}

// The suggestion's 1 mm tie: a model with fewer unknowns is suggested while its RMS of |d|
// lies within 1 mm of the best, and not once it lies beyond.
TEST(ModelSuggestion, FewerUnknownsWinOnlyWithinOneMillimetre) {
  struct Case {
    const char* name;
    long double simplerRms;
    int suggestedUnknowns;
  };
  const Case cases[] = {
      {"equal", 0.0100L, 4},
      {"0.9 mm worse", 0.0109L, 4},
      {"1.1 mm worse", 0.0111L, 6},
      {"better", 0.0090L, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ModelRow> rows(3);
    rows[0] = {.kind = 1, .degree = 1, .unknowns = 4, .redundancy = 60};
    rows[1] = {.kind = 2, .degree = 1, .unknowns = 6, .redundancy = 58};
    rows[2] = {.kind = 1, .degree = 2, .unknowns = 6, .redundancy = 58};
    rows[0].looRms = c.simplerRms;
    rows[1].looRms = 0.0100L;
    rows[2].looRms = 0.0105L;
    for (ModelRow& r : rows)
      r.looComplete = true;
    SuggestModel(rows);
    int suggested = 0;
    for (const ModelRow& r : rows) {
      if (!r.suggested) continue;
      ++suggested;
      EXPECT_EQ(r.unknowns, c.suggestedUnknowns);
      if (c.suggestedUnknowns == 6) {
        EXPECT_EQ(r.kind, 2);  // the better of the two
      }
    }
    EXPECT_EQ(suggested, 1);
  }
}

}  // namespace

namespace {

// A refit in memory with other exclusions gives, bit for bit, what a run with that
// Wykluczone.txt gives: the fit, its figures and the judgement. It reads and writes no file.
TEST_F(TransformRun, ARefitInMemoryEqualsARunWithThatList) {
  TPktDostosowania points = Points(40, 0.01L, Helmert, 40);
  points[6].y2 += 0.5L;  // P7
  folder.WriteAdjustmentPoints(points);
  state.comparisonBudget = 1e9;
  folder.Write("Wykluczone.txt", "P7\r\nP20\r\n");
  Run();
  const TFittedTransformation expected = Fitted();
  const std::vector<AdjustmentCheck> checks = state.Result().checks;
  const std::vector<ModelRow> models = state.Result().models;
  folder.Remove("Wykluczone.txt");
  Run();
  ASSERT_EQ(state.Result().Proposal().size(), 1u);  // the blunder, proposed
  EXPECT_EQ(state.Result().Proposal()[0].nr.View(), "P7");
  const std::string before = folder.Read("Protokol.tra") + folder.Read("Kontrola.tra");
  const std::shared_ptr<const TransformationResult> run = state.result;
  const std::vector<PointNumber> leaveOut{PointNumber("P7"), PointNumber("P20")};
  TransformationWork work;
  const auto refit = [&](const std::vector<PointNumber>& numbers) {
    return ComputeTransformation(run->choice, run->input, &numbers, {0, 1e9, false, {}}, work);
  };
  const auto r = refit(leaveOut);
  EXPECT_EQ(folder.Read("Protokol.tra") + folder.Read("Kontrola.tra"), before);
  const TFittedTransformation& f = r->FittedTransformation;
  ASSERT_TRUE(f.fitted);
  EXPECT_EQ(f.ls, expected.ls);
  EXPECT_EQ(f.figures.m0, expected.figures.m0);
  EXPECT_EQ(f.figures.maxResidual, expected.figures.maxResidual);
  EXPECT_EQ(r->excluded, 2);
  ASSERT_EQ(r->checks.size(), checks.size());
  for (std::size_t k = 0; k < checks.size(); ++k) {
    EXPECT_EQ(r->checks[k].nr, checks[k].nr);
    EXPECT_EQ(r->checks[k].d, checks[k].d);
    EXPECT_EQ(r->checks[k].t, checks[k].t);
    EXPECT_EQ(r->checks[k].flagged, checks[k].flagged);
  }
  ASSERT_EQ(r->models.size(), models.size());
  for (std::size_t k = 0; k < models.size(); ++k)
    EXPECT_EQ(r->models[k].looRms, models[k].looRms);
  EXPECT_TRUE(r->Proposal().empty());
  // The run's result is not touched: a view holding it still shows the run.
  EXPECT_EQ(run->excluded, 0);
  EXPECT_EQ(run->Proposal().size(), 1u);
  // Back to none left out: the first run's figures again.
  const auto back = refit({});
  EXPECT_EQ(back->excluded, 0);
  EXPECT_EQ(back->Proposal().size(), 1u);
  EXPECT_EQ(back->FittedTransformation.figures.m0, run->FittedTransformation.figures.m0);
}

}  // namespace

namespace {

// F(0.999; 2, nu) by hand: (nu / 2) (1000^(2 / nu) - 1), the closed quantile of F(2, nu).
long double HandCritical(int nu) {
  return nu / 2.0L * (std::pow(1000.0L, 2.0L / nu) - 1);
}

// The set's critical value by hand: F(1 - a; 2, nu) = (nu / 2) (a^(-2/nu) - 1) at Šidák's
// a = 1 - 0.95^(1/n) for n points tested.
long double HandSetCritical(int nu, int n) {
  const long double a = 1 - std::pow(0.95L, 1.0L / n);
  return nu / 2.0L * (std::pow(a, -2.0L / nu) - 1);
}

// Small Helmert sets (7 to 10 points, r - 2 = 8 to 14), some with one blunder of up to 8 cm
// among 1 cm of noise, so that the largest T falls on either side of the critical value
// and of its neighbours F(2, nu +- 1): each point is flagged exactly when its T exceeds
// the critical value of nu = r - 2 by hand; the proposal starts exactly when the largest T
// exceeds the set's critical value by hand (for these few points below the per-point one:
// Šidák's level for 7 to 10 points is above 0.001), from the point of largest T, whatever
// its place in the file. Data snooping's proposal, that is; the robust search may differ.
TEST(SmallSets, FlagsAndTheProposalFollowTheCriticalValueOfRMinusTwo) {
  std::mt19937 random(77);
  std::uniform_real_distribution<long double> spread(0, 1000), blunder(0, 0.08L);
  std::normal_distribution<long double> noise(0, 0.01L);
  TransformationWork work;
  int proposals = 0, nearTheLimit = 0, between = 0;
  for (int set = 0; set < 1500; ++set) {
    const int n = 7 + set % 4;
    auto input = std::make_shared<TransformationInput>();
    input->opened = true;
    const int wrong = static_cast<int>(random() % (2 * n));  // >= n: no blunder
    for (int i = 0; i < n; ++i) {
      const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
      const long double extra = i == wrong ? blunder(random) : 0;
      input->points.push_back({"P" + std::to_string(i + 1), x, y, x + 0.2L + noise(random),
                               y - 0.1L + noise(random) + extra});
    }
    const auto r = ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work);
    ASSERT_TRUE(r->FittedTransformation.fitted);
    const int nu = 2 * n - 4 - 2;
    ASSERT_EQ(r->testDegrees, nu);
    const long double critical = HandCritical(nu);
    const AdjustmentCheck* largest = nullptr;
    for (const AdjustmentCheck& c : r->checks) {
      ASSERT_TRUE(c.t);
      if (std::fabs(*c.t - critical) > 1e-9L) {
        EXPECT_EQ(c.flagged, *c.t > critical);
      }
      if (!largest || *c.t > *largest->t) largest = &c;
      nearTheLimit += *c.t > HandCritical(nu + 1) && *c.t < HandCritical(nu - 1) ? 1 : 0;
    }
    const long double setCritical = HandSetCritical(nu, n);
    if (std::fabs(*largest->t - setCritical) < 1e-9L) continue;
    between += (*largest->t > critical) != (*largest->t > setCritical) ? 1 : 0;
    if (*largest->t <= setCritical) {
      EXPECT_TRUE(r->snooping.empty());
      continue;
    }
    ++proposals;
    ASSERT_FALSE(r->snooping.empty());
    EXPECT_EQ(r->snooping[0].nr, largest->nr);
    EXPECT_NEAR(r->snooping[0].t, *largest->t, 1e-9L * *largest->t);
  }
  // The sets reach both sides, the band between the neighbouring critical values, and the
  // band between the per-point and the set's critical values, where the two rules differ.
  EXPECT_GT(proposals, 100);
  EXPECT_GT(nearTheLimit, 20);
  EXPECT_GT(between, 20);
}

// Two blunders: the proposal starts from the larger one (the largest T), not from the first
// in the file above the critical value, and takes the smaller one next.
TEST_F(TransformRun, TheProposalStartsFromTheLargestT) {
  TPktDostosowania points = Points(100, 0.01L, Helmert, 20);
  points[2].x2 += 0.2L;   // P3
  points[11].y2 -= 0.5L;  // P12
  folder.WriteAdjustmentPoints(points);
  Run();
  const TransformationResult& r = state.Result();
  EXPECT_EQ(Flagged(state), (std::vector<std::string>{"P3", "P12"}));
  ASSERT_GE(r.Proposal().size(), 2u);
  EXPECT_EQ(r.Proposal()[0].nr.View(), "P12");
  EXPECT_EQ(r.Proposal()[1].nr.View(), "P3");
}

// The critical value a run states in Kontrola.tra is the one of r - 2 degrees of freedom:
// 6 points of a Helmert fit give r = 8, and F(0.999; 2, 6) = 3 (10 - 1) = 27 exactly.
TEST_F(TransformRun, KontrolaStatesTheCriticalValueOfRMinusTwo) {
  folder.WriteAdjustmentPoints(Points(6, 0.01L, Helmert, 6));
  Run();
  EXPECT_EQ(state.Result().testDegrees, 6);
  const std::string control = textio::Cp1250ToUtf8(folder.Read("Kontrola.tra"));
  EXPECT_NE(control.find("F_kr = F(0,999; 2, 6) = 27.0000"), std::string::npos) << control;
}

// The set's level that Kontrola.tra prints is Šidák's for the n points tested: with 3 of
// 12 points left out, n = 9 (not the 12 checked nor any other count), a = 1 - 0.95^(1/9)
// = 0.005683 (worked out: ln 0.95 / 9 = -0.0056993, e^that = 0.9943169).
TEST_F(TransformRun, KontrolaStatesTheSetsLevelForItsOwnCount) {
  folder.WriteAdjustmentPoints(Points(12, 0.01L, Helmert, 7));
  folder.Write("Wykluczone.txt", "P2\r\nP5\r\nP9\r\n");
  Run();
  ASSERT_EQ(state.Result().excluded, 3);
  ASSERT_EQ(state.Result().testedPoints, 9);
  const std::string control = textio::Cp1250ToUtf8(folder.Read("Kontrola.tra"));
  EXPECT_NE(control.find("  a = 1 - 0,95^(1/n) = 0.005683, n = 9 punktów (5 % dla całego zbioru);"),
            std::string::npos)
      << control;
  // F(1 - a; 2, nu) = (nu / 2) (a^(-2/nu) - 1) = 6 (0.005683^(-1/6) - 1) = 8.2033.
  EXPECT_NE(control.find("F_kr,zb = F(1 - a; 2, 12) = 8.2033"), std::string::npos) << control;
}

}  // namespace

namespace {

// The set's test on simulated sets: clean ones raise the question before the maps in 5 % of
// cases at every size (within 3.5 binomial standard deviations of the count simulated), where
// the points' own flags would raise it in 1 - 0.999^n, and the proposal of exclusions is not
// empty in exactly those sets; a 0.3 m blunder among 1 cm of noise is named in at least 99 %
// of sets. Both kinds, degrees 1 to 3, in turn.
TEST(SetTest, FalseAlarmsStayAtFivePercentAndBlundersAreCaught) {
  struct Size {
    int points, sets;
  };
  const Size sizes[] = {{20, 1200}, {100, 1200}, {1000, 240}, {10000, 48}};
  const std::pair<int, int> models[] = {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 3}};
  TransformationWork work;
  std::printf("%8s %6s %12s %12s %10s %10s %11s\n", "points", "sets", "question %", "bound %",
              "0.001^n %", "caught %", "proposal %");
  for (const Size& size : sizes) {
    std::mt19937 random(static_cast<unsigned>(size.points));
    std::uniform_real_distribution<long double> spread(0, 3000);
    std::normal_distribution<long double> noise(0, 0.01L);
    int alarms = 0, caught = 0, proposed = 0;
    for (int set = 0; set < size.sets; ++set) {
      const auto [kind, degree] = models[set % 6];
      auto clean = std::make_shared<TransformationInput>();
      clean->opened = true;
      for (int i = 0; i < size.points; ++i) {
        const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
        clean->points.push_back({"P" + std::to_string(i + 1), x, y, x + 0.2L + noise(random),
                                 y - 0.1L + noise(random)});
      }
      const auto r =
          ComputeTransformation({kind, degree, 4}, clean, nullptr, {0, 0, false, {}}, work);
      ASSERT_TRUE(r->FittedTransformation.fitted);
      alarms += HasSuspectPoints(*r) ? 1 : 0;
      proposed += r->Proposal().empty() ? 0 : 1;
      auto wrong = std::make_shared<TransformationInput>(*clean);
      const std::size_t blunder = random() % wrong->points.size();
      wrong->points[blunder].y2 += 0.3L;
      const auto b =
          ComputeTransformation({kind, degree, 4}, wrong, nullptr, {0, 0, false, {}}, work);
      const AdjustmentCheck& c = b->checks[blunder];
      ASSERT_EQ(c.nr.View(), wrong->points[blunder].Nr);
      caught += c.suspect ? 1 : 0;
    }
    const double rate = static_cast<double>(alarms) / size.sets;
    const double bound = 3.5 * std::sqrt(0.05 * 0.95 / size.sets);
    std::printf("%8d %6d %12.2f %12.2f %10.1f %10.2f %11.2f\n", size.points, size.sets, 100 * rate,
                100 * bound, 100 * (1 - std::pow(0.999, size.points)), 100.0 * caught / size.sets,
                100.0 * proposed / size.sets);
    EXPECT_NEAR(rate, 0.05, bound) << size.points << " points";
    // On clean sets the proposal follows the question: it is made wherever the question is
    // asked, and the robust search adds one elsewhere only at 1 % for the whole set, so it
    // stays empty in 95 % of them.
    EXPECT_GE(proposed, alarms) << size.points << " points";
    EXPECT_LE(proposed, alarms + std::max(2.0, 0.01 * size.sets)) << size.points << " points";
    EXPECT_NEAR(static_cast<double>(proposed) / size.sets, 0.05, bound) << size.points;
    EXPECT_GE(caught, 0.99 * size.sets) << size.points << " points";
  }
}

// Among many points the set's value lies above the per-point one: a point whose T falls
// between them is flagged "do sprawdzenia" and not proposed; one above both is proposed.
// 200 Helmert points with 1 cm of noise and one point moved 3.5 to 4.5 cm.
TEST(SetTest, APointBetweenTheTwoCriticalValuesIsToBeCheckedNotProposed) {
  std::mt19937 random(36);
  std::uniform_real_distribution<long double> spread(0, 2000), blunder(0.035L, 0.045L);
  std::normal_distribution<long double> noise(0, 0.01L);
  TransformationWork work;
  int between = 0, above = 0;
  for (int set = 0; set < 60; ++set) {
    auto input = std::make_shared<TransformationInput>();
    input->opened = true;
    for (int i = 0; i < 200; ++i) {
      const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
      input->points.push_back({"P" + std::to_string(i + 1), x, y, x + 0.2L + noise(random),
                               y - 0.1L + noise(random) + (i == 0 ? blunder(random) : 0)});
    }
    const auto r = ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work);
    const long double largest =
        *std::max_element(r->checks.begin(), r->checks.end(), [](const auto& a, const auto& b) {
           return a.t.value_or(0) < b.t.value_or(0);
         })->t;
    const long double perPoint = HandCritical(r->testDegrees);
    const long double setValue = HandSetCritical(r->testDegrees, r->testedPoints);
    ASSERT_GT(setValue, perPoint);
    if (largest > perPoint && largest < setValue) {
      ++between;
      EXPECT_TRUE(r->Proposal().empty());
      const auto flagged = std::count_if(r->checks.begin(), r->checks.end(),
                                         [](const AdjustmentCheck& c) { return c.flagged; });
      EXPECT_GE(flagged, 1);
      for (const AdjustmentCheck& c : r->checks) {
        if (c.flagged) {
          EXPECT_STREQ(PointRemark(c), "*** do sprawdzenia (T > F_kr)");
        }
      }
    } else if (largest > setValue) {
      ++above;
      EXPECT_FALSE(r->Proposal().empty());
    }
  }
  EXPECT_GT(between, 5);
  EXPECT_GT(above, 5);
}

// The proposal's later steps follow the set's value of the points that remain too: with P1
// moved 0.3 m and P2 3.5 to 4.5 cm, whenever P2's T in the fit without P1 lies between the
// per-point and the set's value of the 199 points, the proposal is P1 alone.
TEST(SetTest, LaterStepsOfTheProposalFollowTheSetsValueOfThePointsLeft) {
  std::mt19937 random(41);
  std::uniform_real_distribution<long double> spread(0, 2000), blunder(0.035L, 0.045L);
  std::normal_distribution<long double> noise(0, 0.01L);
  TransformationWork work;
  int between = 0;
  for (int set = 0; set < 60; ++set) {
    auto input = std::make_shared<TransformationInput>();
    input->opened = true;
    for (int i = 0; i < 200; ++i) {
      const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
      const long double moved = i == 0 ? 0.3L : i == 1 ? blunder(random) : 0;
      input->points.push_back({"P" + std::to_string(i + 1), x, y, x + 0.2L + noise(random),
                               y - 0.1L + noise(random) + moved});
    }
    const std::vector<PointNumber> withoutP1{PointNumber("P1")};
    const auto rest = ComputeTransformation({1, 1, 4}, input, &withoutP1, {1, 0, false, {}}, work);
    const AdjustmentCheck& p2 = rest->checks[0];  // the used points first, in order
    ASSERT_EQ(p2.nr.View(), "P2");
    const long double largest = *std::max_element(rest->checks.begin(), rest->checks.end(),
                                                  [](const auto& a, const auto& b) {
                                                    return a.t.value_or(0) < b.t.value_or(0);
                                                  })
                                     ->t;
    const long double perPoint = HandCritical(rest->testDegrees);
    const long double setValue = HandSetCritical(rest->testDegrees, rest->testedPoints);
    if (!(largest == *p2.t && largest > perPoint && largest < setValue)) continue;
    ++between;
    const auto r = ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work);
    ASSERT_EQ(r->Proposal().size(), 1u);
    EXPECT_EQ(r->Proposal()[0].nr.View(), "P1");
  }
  EXPECT_GT(between, 3);
}

// Sidak's level against its closed form, where 1 - (1 - a)^(1/n) keeps its digits.
TEST(SetTest, SidakLevel) {
  EXPECT_NEAR(SidakAlpha(1), 0.05L, 1e-18L);
  EXPECT_NEAR(SidakAlpha(36), 1 - std::pow(0.95L, 1.0L / 36), 1e-15L);
  EXPECT_NEAR(SidakAlpha(10000), 5.129316e-6L, 1e-11L);  // ln(1/0.95) / n to first order
  EXPECT_LT(SidakAlpha(52), 0.001L);                     // above 51 points stricter than 0.001
  EXPECT_GT(SidakAlpha(51), 0.001L);
}

}  // namespace
