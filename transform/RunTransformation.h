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

#include "transform/TransformationResult.h"

class RunEvents;

// Reads TRANSPKT.BIN and Wykluczone.txt of `folder`; a failed read of TRANSPKT.BIN shows its
// message box through `events`.
std::shared_ptr<const TransformationInput> ReadTransformationInput(const std::string& folder,
                                                                   RunEvents& events);

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
