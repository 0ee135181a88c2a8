#include "transform/RunTransformation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/RunEvents.h"
#include "core/Threads.h"
#include "core/WorkingFiles.h"
#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "transform/ControlReport.h"
#include "transform/ProjPipeline.h"
#include "transform/TransformReport.h"

namespace {

using PointSet = TransformationWork::PointSet;

// Grows `v` to hold indices 0..count; what it held stays, nothing is cleared.
template <typename T>
void Hold(std::vector<T>& v, std::int32_t count) {
  if (v.size() < static_cast<std::size_t>(count) + 1) v.resize(static_cast<std::size_t>(count) + 1);
}

void FormSet(const TPktDostosowania& list, bool secondary, PointSet& set) {
  set.count = static_cast<std::int32_t>(list.size());
  Hold(set.nr, set.count);
  Hold(set.x, set.count);
  Hold(set.y, set.count);
  for (std::int32_t i = 1; i <= set.count; ++i) {
    const TPkt& p = list[i - 1];
    set.nr[i] = PointNumber(p.Nr);
    set.x[i] = secondary ? p.x2 : p.x1;
    set.y[i] = secondary ? p.y2 : p.y1;
  }
}

void OrderByNumber(const PointSet& set, std::vector<std::int32_t>& order) {
  for (std::int32_t i = 1; i <= set.count; ++i)
    order[i - 1] = i;
  std::stable_sort(order.begin(), order.begin() + set.count,
                   [&](std::int32_t a, std::int32_t b) { return set.nr[a] < set.nr[b]; });
}

// Each point i is compared with every earlier point j, whose number may already be the
// repeat mark "*"; every equality is one repetition, recorded against j, and marks i.
// A number seen before equals only its first occurrence (later ones are marked by then);
// "*" equals every point marked so far. Sorting finds the first occurrences at once.
void MarkRepeats(PointSet& set, TransformationWork& work, std::vector<RepeatedPoint>& repeats) {
  Hold(work.byNumber, set.count);
  Hold(work.firstOf, set.count);
  OrderByNumber(set, work.byNumber);
  for (std::int32_t g = 0; g < set.count;) {
    std::int32_t end = g;
    const std::int32_t first = work.byNumber[g];
    while (end < set.count && set.nr[work.byNumber[end]] == set.nr[first]) {
      work.firstOf[work.byNumber[end++]] = first;
    }
    g = end;
  }
  auto repeat = [&](std::int32_t i, std::int32_t j) {
    repeats.push_back({set.nr[i], set.x[i] - set.x[j], set.y[i] - set.y[j]});
  };
  work.marked.clear();
  for (std::int32_t i = 1; i <= set.count; ++i) {
    if (set.nr[i].IsRepeatMark()) {
      for (std::int32_t j : work.marked)
        repeat(i, j);
    } else if (work.firstOf[i] != i) {
      repeat(i, work.firstOf[i]);
      set.nr[i] = PointNumber::RepeatMark();
    } else {
      continue;
    }
    work.marked.push_back(i);
  }
}

void KeepVerified(PointSet& set) {
  std::int32_t kept = 0;
  for (std::int32_t i = 1; i <= set.count; ++i) {
    if (set.nr[i].IsRepeatMark()) continue;
    ++kept;
    set.nr[kept] = set.nr[i];
    set.x[kept] = set.x[i];
    set.y[kept] = set.y[i];
  }
  set.count = kept;
}

void VerifySet(const TPktDostosowania& list, bool secondary, TransformationWork& work,
               SetVerification& verification) {
  PointSet& set = secondary ? work.secondary : work.primary;
  FormSet(list, secondary, set);
  verification.given = set.count;
  MarkRepeats(set, work, verification.repetitions);
  KeepVerified(set);
  verification.verified = set.count;
}

// Pairs every verified secondary point with the verified primary point of its number (the
// numbers of a verified set are unique), then appends the unpaired primary points as check
// points.
void MatchSets(TransformationWork& work, TFittedTransformation& f) {
  const PointSet& primary = work.primary;
  const PointSet& secondary = work.secondary;
  Hold(work.byNumber, primary.count);
  Hold(work.taken, primary.count);
  Hold(f.Nr, primary.count);
  f.model.Reserve(primary.count);
  OrderByNumber(primary, work.byNumber);
  std::fill_n(work.taken.begin(), primary.count + 1, 0);
  const auto sortedEnd = work.byNumber.begin() + primary.count;
  f.ls = 0;
  for (std::int32_t k = 1; k <= secondary.count; ++k) {
    const auto it =
        std::lower_bound(work.byNumber.begin(), sortedEnd, secondary.nr[k],
                         [&](std::int32_t j, const PointNumber& nr) { return primary.nr[j] < nr; });
    if (it == sortedEnd || primary.nr[*it] != secondary.nr[k] || work.taken[*it]) continue;
    const std::int32_t j = *it;
    work.taken[j] = 1;
    ++f.ls;
    f.Nr[f.ls] = secondary.nr[k];
    f.model.SetPrimary(f.ls, primary.x[j], primary.y[j]);
    f.model.SetSecondary(f.ls, secondary.x[k], secondary.y[k]);
  }
  f.lp = f.ls;
  for (std::int32_t j = 1; j <= primary.count; ++j) {
    if (work.taken[j]) continue;
    ++f.lp;
    f.Nr[f.lp] = primary.nr[j];
    f.model.SetPrimary(f.lp, primary.x[j], primary.y[j]);
  }
}

// The accuracy figures of the fit over its adjustment points 1..ls.
AccuracyFigures Analyse(const TFittedTransformation& f) {
  const trk::FittedModel& model = f.model;
  AccuracyFigures a;
  a.equations = 2 * f.ls;
  a.unknowns = model.Unknowns();
  a.redundancy = a.equations - a.unknowns;
  long double sumX = 0, sumY = 0;
  std::int32_t worst = 0;
  for (std::int32_t k = 1; k <= f.ls; ++k) {
    const long double vx = model.vx(k), vy = model.vy(k);
    sumX += vx * vx;
    sumY += vy * vy;
    const long double dr = std::sqrt(vx * vx + vy * vy);
    if (dr > a.maxResidual) {
      a.maxResidual = dr;
      worst = k;
    }
  }
  if (worst > 0) a.maxResidualPoint = f.Nr[worst];
  a.sX = std::sqrt(sumX / f.ls);
  a.sY = std::sqrt(sumY / f.ls);
  a.s = std::sqrt(a.sX * a.sX + a.sY * a.sY);
  a.m0 = a.redundancy > 0 ? std::sqrt((sumX + sumY) / a.redundancy) : 0;
  return a;
}

// Moves the adjustment points listed in `numbers` behind the others: they leave the fit
// and the correction and stay in the listing as check points. Returns how many moved.
std::int32_t LeaveOut(TFittedTransformation& f, const std::vector<PointNumber>& numbers) {
  if (numbers.empty()) return 0;
  struct Listed {
    PointNumber nr;
    long double x, y, x2, y2;
  };
  std::vector<Listed> used, left, rest;
  for (std::int32_t k = 1; k <= f.lp; ++k) {
    const bool adjustment = k <= f.ls;
    Listed p{f.Nr[k], f.model.x(k), f.model.y(k), adjustment ? f.model.x2(k) : 0,
             adjustment ? f.model.y2(k) : 0};
    const bool out = adjustment && std::find(numbers.begin(), numbers.end(), p.nr) != numbers.end();
    (!adjustment ? rest : out ? left : used).push_back(p);
  }
  std::int32_t k = 0;
  for (const auto* group : {&used, &left, &rest}) {
    for (const Listed& p : *group) {
      ++k;
      f.Nr[k] = p.nr;
      f.model.SetPrimary(k, p.x, p.y);
      f.model.SetSecondary(k, p.x2, p.y2);
    }
  }
  f.ls = static_cast<std::int32_t>(used.size());
  return static_cast<std::int32_t>(left.size());
}

// The per-point figures, the data-snooping proposal and the comparison of models of a fit.
void Judge(const ComputeOptions& options, TransformationWork& work, TransformationResult& r) {
  const TFittedTransformation& f = r.FittedTransformation;
  if (!f.fitted) return;
  CheckAdjustmentPoints(f, r.excluded, options.threads, r.checks);
  r.testDegrees = std::max(f.model.Redundancy() - 2, 0);
  r.testedPoints = static_cast<int>(std::count_if(
      r.checks.begin(), r.checks.end(), [](const AdjustmentCheck& c) { return c.t.has_value(); }));
  if (r.testDegrees > 0 && r.testedPoints > 0) {
    r.setCritical = FisherCritical(r.testDegrees, SidakAlpha(r.testedPoints));
    for (AdjustmentCheck& c : r.checks)
      c.suspect = !c.excluded && c.t && *c.t > r.setCritical;
  }
  // Without a suspect point data snooping's first step, the same fit and the same critical
  // value, finds none either.
  const bool suspect = std::any_of(r.checks.begin(), r.checks.end(),
                                   [](const AdjustmentCheck& c) { return c.suspect; });
  if (suspect) ProposeExclusions(f, r.snooping);
  ProposeRobustExclusions(f, r.robust);
  r.robustProposal = RobustOverturns(r.robust, r.snooping);
  CompareModels(f, work.scratch, options.comparisonBudget, options.threads, r.models);
}

// The faulty lines of an input list (Wykluczone.txt, Limity.txt) in one message box, when
// there are any.
void ShowProblems(const char* file, const std::vector<std::string>& problems, MessageKind kind,
                  RunEvents& events) {
  if (problems.empty()) return;
  std::string text = std::string("Błędy w pliku ") + file + " (te wiersze pominięto):";
  for (const std::string& problem : problems)
    text += "\n" + problem;
  events.ShowMessage(kind, text);
}

}  // namespace

std::shared_ptr<const TransformationInput> ReadTransformationInput(const std::string& folder,
                                                                   RunEvents& events) {
  auto input = std::make_shared<TransformationInput>();
  std::string header;
  std::int32_t number1 = 0, number2 = 0;
  TPktBIN reader;
  input->readFailed = reader.WczytajBIN(textio::PathInFolder(folder, kAdjustmentPointsFileName),
                                        header, number1, number2, input->points, events) != 0;
  // The entries a failed read could not fill are placeholders, not points: the fit takes the
  // records read whole before the failure, and only those.
  if (input->readFailed) input->points.resize(static_cast<std::size_t>(reader.RecordsComplete));
  input->opened = reader.Opened;
  input->recordsDeclared = reader.HeaderRead ? reader.RecordsDeclared : -1;
  if (input->readFailed) input->damage = reader.DamageLine();
  input->exclusionFile = ReadExclusionFile(textio::PathInFolder(folder, kExclusionFileName));
  input->limitFile = ReadLimitFile(textio::PathInFolder(folder, kLimitFileName));
  return input;
}

std::shared_ptr<const TransformationResult> ComputeTransformation(
    const ModelChoice& choice, std::shared_ptr<const TransformationInput> input,
    const std::vector<PointNumber>* leaveOut, const ComputeOptions& options,
    TransformationWork& work) {
  auto result = std::make_shared<TransformationResult>();
  TransformationResult& r = *result;
  r.choice = choice;
  r.comparisonBudget = options.comparisonBudget;
  r.limits = LimitsOver(input->limitFile.limits, options.limits);
  TFittedTransformation& f = r.FittedTransformation;
  f.readFailed = input->readFailed;
  f.pointsRead = static_cast<std::int32_t>(input->points.size());
  f.recordsDeclared = input->recordsDeclared;
  VerifySet(input->points, false, work, r.primary);
  VerifySet(input->points, true, work, r.secondary);
  MatchSets(work, f);
  const std::vector<PointNumber> known(f.Nr.begin() + 1, f.Nr.begin() + 1 + f.ls);
  r.exclusions = CheckExclusions(input->exclusionFile, known);
  if (leaveOut) {
    r.exclusions.numbers = *leaveOut;
    r.exclusions.problems.clear();
  }
  r.excluded = LeaveOut(f, r.exclusions.numbers);
  r.input = std::move(input);

  const std::int32_t u = TrkUnknowns(choice.TransformKind, choice.TransformDegree);
  r.determinable = 2 * f.ls - u >= 0;
  f.fitted = r.determinable && f.model.Fit(choice.TransformKind, choice.TransformDegree, f.ls);
  if (!f.fitted) return result;
  f.figures = Analyse(f);
  r.limitChecks = CheckLimits(r.limits, f.figures);
  if (options.listing) ComputeListing(f, options.threads, r.listing);
  Judge(options, work, r);
  if (options.tinPositions && f.Usable()) {
    r.tin = std::make_shared<const CorrectionTin>(
        BuildCorrectionTin(f, *options.tinPositions, 0.001L, options.threads));
  }
  return result;
}

void WriteTransformationFiles(const std::string& folder, const TransformationResult& result,
                              RunEvents& events) {
  ShowProblems(kExclusionFileName, result.exclusions.problems, MessageKind::ExclusionProblem,
               events);
  ShowProblems(kLimitFileName, result.input->limitFile.problems, MessageKind::LimitProblem, events);
  WriteTransformReport(folder, result, events);
  const TFittedTransformation& f = result.FittedTransformation;
  std::string failure;
  // A partial fit of a damaged TRANSPKT.BIN converts nothing; its pipeline would reproduce
  // no converted map either, so the one of an earlier run stays.
  if (f.Usable() && !WritePipelineFile(folder, f.model, failure)) {
    events.ShowMessage(MessageKind::WriteFailure, "Błąd zapisu pliku " + failure);
  }
  if (f.Usable() && result.tin && !WriteCorrectionTin(folder, f.model, *result.tin, failure)) {
    events.ShowMessage(MessageKind::WriteFailure, "Błąd zapisu pliku " + failure);
  }
  WriteControlReport(folder, result, events);
}

// Each point's values are TransformPoint's whichever thread computes them.
void ComputeListing(const TFittedTransformation& f, int threads,
                    std::vector<TransformedPoint>& values) {
  values.resize(static_cast<std::size_t>(f.lp));
  ParallelFor(values.size(), ThreadsFor(threads), 256, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const std::int32_t k = static_cast<std::int32_t>(i) + 1;
      TransformPoint(f, f.model.x(k), f.model.y(k), values[i]);
    }
  });
}

const TransformationResult& NoTransformationResult() {
  static const TransformationResult empty = [] {
    TransformationResult r;
    r.input = std::make_shared<TransformationInput>();
    return r;
  }();
  return empty;
}

const TransformationResult& TransformationState::Result() const {
  return result ? *result : NoTransformationResult();
}

void RunTransformation(const ModelChoice& choice, const std::string& folder, RunEvents& events,
                       TransformationState& state) {
  state.result.reset();
  RunTransformation(choice, ReadTransformationInput(folder, events), folder, events, state);
}

void RunTransformation(const ModelChoice& choice, std::shared_ptr<const TransformationInput> input,
                       const std::string& folder, RunEvents& events, TransformationState& state) {
  state.result = ComputeTransformation(
      choice, std::move(input), nullptr,
      {state.threads, state.comparisonBudget, true, state.limits, state.tinPositions}, state.work);
  WriteTransformationFiles(folder, *state.result, events);
}

std::string NoTransformationReason(const TransformationResult& result) {
  const TFittedTransformation& f = result.FittedTransformation;
  const TransformationInput& input = *result.input;
  if (f.fitted) {
    return f.readFailed ? "TRANSPKT.BIN odczytany częściowo: mapy nie przeliczono" : "";
  }
  if (!input.opened) return "Brak transformacji: brak pliku TRANSPKT.BIN lub nie można go otworzyć";
  if (input.readFailed && input.points.empty()) {
    return "Brak transformacji: " +
           (input.damage.empty() ? "TRANSPKT.BIN nieczytelny" : input.damage);
  }
  if (!result.determinable) {
    return "Brak transformacji: za mało punktów dostosowania (" + std::to_string(f.ls) +
           ") dla wybranego modelu";
  }
  return "Brak transformacji: defekt układu dla wybranego modelu i stopnia";
}

std::int32_t SuspectPointCount(const TransformationResult& result) {
  return static_cast<std::int32_t>(
      std::count_if(result.checks.begin(), result.checks.end(),
                    [](const AdjustmentCheck& c) { return c.suspect && !c.excluded; }));
}

std::int32_t ToCheckPointCount(const TransformationResult& result) {
  return static_cast<std::int32_t>(std::count_if(
      result.checks.begin(), result.checks.end(),
      [](const AdjustmentCheck& c) { return c.flagged && !c.suspect && !c.excluded; }));
}

std::string SuspectQuestion(const TransformationResult& result) {
  std::string points;
  for (const AdjustmentCheck& c : result.checks) {
    if (!c.suspect || c.excluded) continue;
    if (!points.empty()) points += ", ";
    points += ShownNumber(c.nr);
    points += " (T = " + textio::Fixed(c.t.value_or(0), 0, 1) +
              ", |d| = " + textio::Fixed(c.d, 0, 3) + " m)";
  }
  return "Punkty podejrzane: " + points + ". Korekta Hausbrandta przeniesie ich błędy na mapę.";
}
