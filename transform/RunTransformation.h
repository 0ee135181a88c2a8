// The transformation with local correction of one run: reads TRANSPKT.BIN of `folder`,
// forms the primary and secondary sets, reports and drops repeated numbers, matches the
// sets by number, fits the chosen model through libtrk, computes the accuracy figures and
// writes the report files. Leaves its result in the state's FittedTransformation. A read
// failure shows its message box through `window`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <memory>

#include "core/ModelChoice.h"
#include "transform/Exclusions.h"
#include "transform/FittedTransformation.h"
#include "transform/PointCheck.h"

class WindowOperations;

// A working point set, indices 1..count.
struct PointSet {
  std::vector<PointNumber> nr;
  std::vector<long double> x, y;
  std::int32_t count = 0;
};

// Tables of the matching, sized to the file at hand and reused by every run.
struct MatchingTables {
  PointSet primary, secondary;
  std::vector<std::int32_t> byNumber;  // indices 1..count ordered by number, then index
  std::vector<std::int32_t> firstOf;   // first index holding the same number
  std::vector<std::int32_t> marked;    // indices whose number is now "*", ascending
  std::vector<char> taken;             // primary points matched to a secondary point
};

// Where each point of the listing stood when the matching left it, before Wykluczone.txt
// moved points behind the others: what a refit with other exclusions starts from. An index
// a point rather than a copy of the points, so a run of 200,000 points keeps 0.8 MB.
struct MatchedOrder {
  std::int32_t ls = 0;               // adjustment points of the matching
  std::vector<std::int32_t> origin;  // origin[k]: the matching's position of listing point k
};

// What the transformation keeps from run to run.
struct TransformationState {
  TFittedTransformation FittedTransformation;
  MatchingTables tables;
  Exclusions exclusions;                    // this run's Wykluczone.txt
  std::int32_t excluded = 0;                // points left out: listing entries ls+1..ls+excluded
  std::vector<AdjustmentCheck> checks;      // used points, then the excluded ones
  std::vector<ModelRow> models;             // the comparison of models
  std::vector<ProposedExclusion> proposal;  // data snooping, in order
  MatchedOrder matched;                     // of the last run
  int testDegrees = 0;                      // r - 2 of the run's tests; 0: no test
  // The comparison's fits, one model a thread, made on first use.
  std::vector<std::unique_ptr<trk::FittedModel>> scratch;
  double comparisonBudget = 2.0;  // seconds the comparison may take
  int threads = 0;                // threads of the listing and the judgement; 0: every core
};

// Refits the last run's points in memory with `excluded` left out instead of Wykluczone.txt's
// list: the fit, its figures and the judgement, exactly as a run with that list would make
// them, but no file is read or written (the desktop's live refit). False when the model
// cannot be determined, or there was no run.
bool RefitExcluding(const ModelChoice& choice, const std::vector<PointNumber>& excluded,
                    TransformationState& state);

// The question before the maps, UTF-8: "Punkty podejrzane: 120 (T = 297.7, |d| = 0.515 m).
// Korekta Hausbrandta przeniesie ich błędy na mapę."
std::string SuspectQuestion(const TransformationState& state);

// The adjustment points used in the fit that the run's judgement flags.
std::int32_t SuspectPointCount(const TransformationState& state);
inline bool HasSuspectPoints(const TransformationState& state) {
  return SuspectPointCount(state) > 0;
}

void RunTransformation(const ModelChoice& choice, const std::string& folder,
                       WindowOperations& window, TransformationState& state);
