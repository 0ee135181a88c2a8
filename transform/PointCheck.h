// Judging the adjustment points of a run: for each point used in the fit, its residual and
// its leave-one-out figures (the discrepancy to the same model fitted without it, the mean
// error of unit weight of that fit, and a flag when the discrepancy exceeds three times
// it); for each point left out of the fit, its control discrepancies; and a comparison of
// every model the points allow, with a suggestion.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "transform/FittedTransformation.h"

struct AdjustmentCheck {
  PointNumber nr;
  long double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  long double vx = 0, vy = 0;  // residuals (used points)
  bool excluded = false;
  // Used points: false when the leverage is 1 (the fit cannot predict the point without
  // itself); excluded points: always true.
  bool predictable = false;
  // Used points: leave-one-out discrepancy. Excluded points: secondary coordinates minus
  // the final coordinates of the run (model and correction).
  long double dx = 0, dy = 0, d = 0;
  // Excluded points: secondary coordinates minus the model alone, before the correction.
  long double dxModel = 0, dyModel = 0, dModel = 0;
  std::optional<long double> m0i;  // m0 of the fit without the point, when r - 2 > 0
  std::optional<long double> h;    // used points: the leverage
  // Used points: the test statistic T = (1 - h) |d|^2 / (2 m0(i)^2), when r - 2 > 0 and h < 1.
  // Without a blunder it follows Fisher's F(2, r - 2), d being independent of m0(i).
  std::optional<long double> t;
  bool flagged = false;  // T > FisherCritical(r - 2)
  // T > the set's critical value (SetCritical): the set's test names the point.
  bool suspect = false;
};

// The remark of a point in the tables (UTF-8): left out of the fit, not determinable without
// itself, or flagged; empty otherwise.
const char* PointRemark(const AdjustmentCheck& check);

// One step of the data-snooping proposal: the point left out, its T then, and the m0 of the
// fit without it (m).
struct ProposedExclusion {
  PointNumber nr;
  long double t = 0, m0After = 0;
};

struct ModelRow {
  std::int32_t kind = 0, degree = 0, unknowns = 0, redundancy = 0;
  bool defective = false;  // the normal system is singular or nearly so
  bool skipped = false;    // left out when the time budget ran out
  bool suggested = false;
  long double m0 = 0, maxResidual = 0;
  long double looRms = 0, looMax = 0;  // RMS and largest leave-one-out |d|
  bool looComplete = false;            // every point had a leverage below 1
};

// Each point is tested at Baarda's customary level: a clean point is flagged with this
// probability.
inline constexpr long double kFlagAlpha = 0.001L;

// The set of the n points tested is judged as a whole at this level: its largest T against
// F(2, r - 2) at Sidak's level 1 - (1 - 0.05)^(1/n). A clean set then raises the question
// before the maps in 5 % of cases whatever its size, where the points' own flags at 0.001
// would raise it in 1 - 0.999^n (7 % at 70 points, nearly always in a county).
inline constexpr long double kSetAlpha = 0.05L;

// Sidak's level per point for a set of `tested` points: 1 - (1 - alpha)^(1/tested).
long double SidakAlpha(int tested, long double alpha = kSetAlpha);

// The (1 - alpha) quantile of Fisher's F(2, nu), nu >= 1: closed for two numerator degrees
// of freedom, (nu / 2) (alpha^(-2/nu) - 1); it tends to ln(1/alpha) as nu grows.
long double FisherCritical(int nu, long double alpha = kFlagAlpha);
// Models whose RMS of |d| lies within this of the best one (m) are equal; the one with
// fewer unknowns is suggested.
inline constexpr long double kSuggestionTie = 0.001L;

// The figures of the used points 1..ls of a successful fit, then the control figures of the
// listing's points ls+1..ls+excluded, which the user left out of the fit.
void CheckAdjustmentPoints(const TFittedTransformation& f, std::int32_t excluded, int threads,
                           std::vector<AdjustmentCheck>& checks);

// The test statistic of a used point from its deletion figures in a fit of redundancy r:
// T = (1 - h) |d|^2 / (2 m0(i)^2), m0(i)^2 = [vv](i) / (r - 2); none when the point's
// leverage is 1, r - 2 <= 0 or m0(i) is 0. The run's figure, bit for bit.
std::optional<long double> DeletionTestStatistic(const trk::DeletionFigures& d,
                                                 std::int32_t redundancy);

// Data snooping, a proposal only: leaves out the used point of largest T above the set's
// critical value of the points that remain (F(2, r - 2) at Sidak's level for the count of
// them tested, as the set's test), refits the same model, and repeats until no T exceeds it
// or r would fall below 3. A point above the per-point value alone stays to be checked. The
// steps in order into `steps`.
void ProposeExclusions(const TFittedTransformation& f, std::vector<ProposedExclusion>& steps);

// Every model of kinds 1 and 2, degrees 1 to 9, that the used points allow with r >= 3,
// fitted in order of cost, on up to kComparisonThreads threads, each in a model of
// `scratch` (made as needed); a row that the fastest row before it says would end after
// `budgetSeconds` is listed as skipped, and so is every row once the budget has passed (the
// cheapest is always fitted). A row's figures do not depend on the thread that fits it;
// only the budget, a time, depends on the machine. The row with the smallest RMS of |d| is
// suggested (ties by unknowns).
void CompareModels(const TFittedTransformation& f,
                   std::vector<std::unique_ptr<trk::FittedModel>>& scratch, double budgetSeconds,
                   int threads, std::vector<ModelRow>& rows);

// Marks the suggested row: of the rows fitted with every point predictable, the one with
// the fewest unknowns whose RMS of |d| lies within kSuggestionTie of the smallest (ties
// by that RMS, then by order). None when no row qualifies.
void SuggestModel(std::vector<ModelRow>& rows);

// Each thread of the comparison holds a model of its own (about 25 MB).
inline constexpr int kComparisonThreads = 4;
