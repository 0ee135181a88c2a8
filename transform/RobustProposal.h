// A proposal of exclusions that several blunders together cannot mask. It starts from a fit
// they cannot pull, least trimmed squares over random minimal subsets of the adjustment
// points (seeded: the same points give the same proposal every time), lets reweighted least
// squares reject and restore points by their residuals, and ends with the judgement of a
// run: T of every point kept against the set's critical value of the points kept, and T of
// every point left out against the fit of those kept. A point left out comes back when its
// T lies below the value it would be tested against were it back.
#pragma once

#include <cstdint>
#include <vector>

#include "transform/FittedTransformation.h"
#include "transform/PointCheck.h"

// Where the set's test names no point, the robust proposal stands against data snooping's
// empty one only when most of the points it names (more than half) lie above the set's
// value at this level: two clean points that each lie just above the set's value once the
// other is left out are not enough, while among many blunders hiding one another a few weak
// ones do not overturn the rest.
inline constexpr long double kClearAlpha = 0.01L;

// Each start draws this many points, the model's unknowns over two: an exact fit.
inline std::int32_t MinimalSubset(std::int32_t unknowns) {
  return unknowns / 2;
}

struct RobustProposal {
  // False when the points are too few for the search: the best half of them determines the
  // model with fewer redundant observations than it has unknowns.
  bool computed = false;
  // The points left out, largest T first: T against the fit without them all, and that
  // fit's m0 (m) as `m0After` of each.
  std::vector<ProposedExclusion> points;
  // The set's critical value of the points kept and one more at the level kClearAlpha,
  // F(1 - a; 2, r) with a Sidak's level of 1 % for their count.
  long double clearCritical = 0;
  long double m0 = 0;         // m0 of the fit without the points proposed (m)
  std::int32_t starts = 0;    // random subsets tried
  std::int32_t coverage = 0;  // h: the points the trimmed fit keeps
  std::int32_t sampled = 0;   // the points the trimmed fit chooses them among
};

// The random starts of the trimmed fit, fixed by the model: enough that one of them is free
// of blunders with probability 1 - 1e-3 when half the points are wrong, as far as 30 starts
// of 20 unknowns cost (a start's fits grow with the square of the unknowns); 10 to 500.
std::int32_t RobustStarts(std::int32_t unknowns);

// The robust proposal for the used points of `f` (its model's kind and degree).
void ProposeRobustExclusions(const TFittedTransformation& f, RobustProposal& proposal);

// Whether the robust proposal is the proposal: it names other points than data snooping,
// and where data snooping names none, more than half of its points lie above clearCritical.
bool RobustOverturns(const RobustProposal& robust, const std::vector<ProposedExclusion>& snooping);
