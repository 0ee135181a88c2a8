// The transformation with local correction of one run, in three steps that a caller may
// take apart: the input read from the folder (TRANSPKT.BIN and Wykluczone.txt), the result
// computed from it (the matching with its repetitions, the fit, the accuracy figures, the
// listing's values, the judgement, the comparison of models and the data-snooping proposal),
// which reads and writes no file, and the report files rendered from that result. A run
// takes all three; the desktop's live refit and the picture of a run compute only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ModelChoice.h"
#include "transform/CorrectionTin.h"
#include "transform/Exclusions.h"
#include "transform/FittedTransformation.h"
#include "transform/JointPart.h"
#include "transform/Limits.h"
#include "transform/PointCheck.h"
#include "transform/TransformPoint.h"
#include "transform/UPKTBIN.h"

class RunEvents;

// What a run starts from, as read from the working folder.
struct TransformationInput {
  TPktDostosowania points;            // the records of TRANSPKT.BIN read whole
  bool opened = false;                // TRANSPKT.BIN could be opened
  bool readFailed = false;            // TRANSPKT.BIN could not be read whole (or not at all)
  std::int32_t recordsDeclared = -1;  // -1 when the file or its header could not be read
  std::string damage;  // UTF-8 line naming the damage of an opened file; empty otherwise
  ExclusionFile exclusionFile;
  LimitFile limitFile;  // Limity.txt
  // A joint fit of several folders: the folders whose adjustment points were joined into
  // `points`, in order; empty for a run of one folder.
  std::vector<JointPart> joint;
};

// Reads TRANSPKT.BIN and Wykluczone.txt of `folder`; a failed read of TRANSPKT.BIN shows its
// message box through `events`.
std::shared_ptr<const TransformationInput> ReadTransformationInput(const std::string& folder,
                                                                   RunEvents& events);

// A repeated point number of one set, against the point it repeats.
struct RepeatedPoint {
  PointNumber nr;
  long double dx = 0, dy = 0;
};

// The verification of the primary or the secondary set.
struct SetVerification {
  std::int32_t given = 0, verified = 0;
  std::vector<RepeatedPoint> repetitions;  // in the order the report lists them
};

// Everything a run's transformation computed; the views and the report files read it.
struct TransformationResult {
  ModelChoice choice;
  std::shared_ptr<const TransformationInput> input;  // never null once computed
  SetVerification primary, secondary;
  // The points give at least as many equations as the model has unknowns: the fit was tried.
  bool determinable = false;
  TFittedTransformation FittedTransformation;
  Exclusions exclusions;      // the list the fit left out, with the file's problems
  std::int32_t excluded = 0;  // points left out: listing entries ls+1..ls+excluded
  // listing[k - 1]: listing point k through TransformPoint, when computed with the listing.
  std::vector<TransformedPoint> listing;
  std::vector<AdjustmentCheck> checks;      // used points, then the excluded ones
  std::vector<ModelRow> models;             // the comparison of models
  std::vector<ProposedExclusion> proposal;  // data snooping, in order
  int testDegrees = 0;                      // r - 2 of the run's tests; 0: no test
  int testedPoints = 0;                     // used points with a T: the set's n
  long double setCritical = 0;              // the set's critical value, when tested
  double comparisonBudget = 0;              // seconds the comparison had
  Limits limits;                            // the limits the fit was held to (none: as before)
  std::vector<LimitCheck> limitChecks;      // each limit against the fit, when fitted
  // The correction as a triangulation for PROJ, when asked for and fitted.
  std::shared_ptr<const CorrectionTin> tin;
};

// Tables that grow with the input and are kept from run to run; one set per thread that
// computes.
struct TransformationWork {
  struct PointSet {  // a working point set, indices 1..count
    std::vector<PointNumber> nr;
    std::vector<long double> x, y;
    std::int32_t count = 0;
  };
  PointSet primary, secondary;
  std::vector<std::int32_t> byNumber;  // indices 1..count ordered by number, then index
  std::vector<std::int32_t> firstOf;   // first index holding the same number
  std::vector<std::int32_t> marked;    // indices whose number is now "*", ascending
  std::vector<char> taken;             // primary points matched to a secondary point
  // The comparison's fits, one model a thread, made on first use.
  std::vector<std::unique_ptr<trk::FittedModel>> scratch;
};

struct ComputeOptions {
  int threads = 0;                // of the listing and the judgement; 0: every core
  double comparisonBudget = 2.0;  // seconds the comparison may take
  bool listing = true;            // the values of every listing point (the run's lists)
  Limits limits;                  // the caller's limits, over those of Limity.txt
  // The map positions to build the correction's triangulation over; null: none is built.
  const std::vector<std::pair<long double, long double>>* tinPositions = nullptr;
};

// Computes the result of `input` with `choice`; `leaveOut`, when given, replaces the list of
// Wykluczone.txt (the desktop's ticks). Reads and writes no file and shows nothing.
std::shared_ptr<const TransformationResult> ComputeTransformation(
    const ModelChoice& choice, std::shared_ptr<const TransformationInput> input,
    const std::vector<PointNumber>* leaveOut, const ComputeOptions& options,
    TransformationWork& work);

// Every point of the listing set of `f` through TransformPoint, on `threads` threads (0:
// every core): values[k - 1] for listing point k.
void ComputeListing(const TFittedTransformation& f, int threads,
                    std::vector<TransformedPoint>& values);

// Writes Protokol.tra, the lists, err.tra, Transformacja.proj (from a usable fit only) and
// Kontrola.tra of `result` into `folder`; the problems of Wykluczone.txt and every file that
// could not be written are reported through `events`.
void WriteTransformationFiles(const std::string& folder, const TransformationResult& result,
                              RunEvents& events);

// What the transformation keeps from run to run: the last result and the work tables.
struct TransformationState {
  std::shared_ptr<const TransformationResult> result;  // null before the first run
  TransformationWork work;
  double comparisonBudget = 2.0;  // seconds the comparison may take
  int threads = 0;                // threads of the listing and the judgement; 0: every core
  Limits limits;                  // given by the front end (command line), over Limity.txt's
  // The map positions of the run's correction as a triangulation (Korekta.json); null: none.
  const std::vector<std::pair<long double, long double>>* tinPositions = nullptr;

  // The last result, or an empty one (no fit) before the first run.
  const TransformationResult& Result() const;
};

// An empty result: no input, no fit.
const TransformationResult& NoTransformationResult();

// Reads the input of `folder`, computes and writes the files: the run's transformation. The
// result goes into `state`.
void RunTransformation(const ModelChoice& choice, const std::string& folder, RunEvents& events,
                       TransformationState& state);
// The same from an input given (a joint fit's union), its files written into `folder`.
void RunTransformation(const ModelChoice& choice, std::shared_ptr<const TransformationInput> input,
                       const std::string& folder, RunEvents& events, TransformationState& state);

// The question before the maps, UTF-8: "Punkty podejrzane: 120 (T = 297.7, |d| = 0.515 m).
// Korekta Hausbrandta przeniesie ich błędy na mapę."
std::string SuspectQuestion(const TransformationResult& result);

// Why `result` has no usable fit, UTF-8 ("Brak transformacji: brak pliku TRANSPKT.BIN"), or
// empty when it has one: the one wording of the picture, the report and the windows.
std::string NoTransformationReason(const TransformationResult& result);

// The adjustment points used in the fit that the set's test names (T above the set's
// critical value): the question before the maps, exit 6 and --strict follow them.
std::int32_t SuspectPointCount(const TransformationResult& result);
inline bool HasSuspectPoints(const TransformationResult& result) {
  return SuspectPointCount(result) > 0;
}
// Used points flagged at 0.001 that the set's test does not name: to be looked at, without a
// question.
std::int32_t ToCheckPointCount(const TransformationResult& result);
