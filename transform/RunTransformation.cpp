#include "transform/RunTransformation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Threads.h"
#include "core/WindowOperations.h"
#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "transform/ControlReport.h"
#include "transform/FittedTransformation.h"
#include "transform/ProjPipeline.h"
#include "transform/TransformReport.h"
#include "transform/UPKTBIN.h"

namespace {

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
// repeat mark "*"; every equality is one repetition, reported against j, and marks i.
// A number seen before equals only its first occurrence (later ones are marked by then);
// "*" equals every point marked so far. Sorting finds the first occurrences at once.
std::int32_t MarkRepeats(PointSet& set, MatchingTables& work, TransformReport& report) {
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
  std::int32_t repetitions = 0;
  auto repeat = [&](std::int32_t i, std::int32_t j) {
    ++repetitions;
    report.Repetition(set.nr[i], set.x[i] - set.x[j], set.y[i] - set.y[j]);
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
  return repetitions;
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

void VerifySet(const TPktDostosowania& list, bool secondary, MatchingTables& work,
               TransformReport& report) {
  PointSet& set = secondary ? work.secondary : work.primary;
  FormSet(list, secondary, set);
  report.Count(secondary ? CountLine::SecondaryGiven : CountLine::PrimaryGiven, set.count);
  const std::int32_t repetitions = MarkRepeats(set, work, report);
  if (repetitions > 0) {
    report.Count(secondary ? CountLine::SecondaryRepeats : CountLine::PrimaryRepeats, repetitions);
  }
  KeepVerified(set);
  report.Count(secondary ? CountLine::SecondaryVerified : CountLine::PrimaryVerified, set.count);
}

// Pairs every verified secondary point with the verified primary point of its number (the
// numbers of a verified set are unique), then appends the unpaired primary points as check
// points.
void MatchSets(MatchingTables& work, TFittedTransformation& f) {
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

// The accuracy figures; with a report, its residual lines too.
AccuracyFigures Analyse(const TFittedTransformation& f, TransformReport* report) {
  const trk::FittedModel& model = f.model;
  AccuracyFigures a;
  a.equations = 2 * f.ls;
  a.unknowns = model.Unknowns();
  a.redundancy = a.equations - a.unknowns;
  const auto vx = [&](std::int32_t k) { return model.vx(k); };
  const auto vy = [&](std::int32_t k) { return model.vy(k); };
  long double sumX = 0, sumY = 0;
  std::int32_t worst = 0;
  if (report) report->ResidualsHeader();
  for (std::int32_t k = 1; k <= f.ls; ++k) {
    sumX += vx(k) * vx(k);
    sumY += vy(k) * vy(k);
    if (report) report->Residual(f.Nr[k], vx(k), vy(k));
    const long double dr = std::sqrt(vx(k) * vx(k) + vy(k) * vy(k));
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
// `origin` follows the points (see MatchedOrder).
std::int32_t LeaveOut(TFittedTransformation& f, const std::vector<PointNumber>& numbers,
                      std::vector<std::int32_t>& origin) {
  if (numbers.empty()) return 0;
  struct Listed {
    PointNumber nr;
    long double x, y, x2, y2;
    std::int32_t origin;
  };
  std::vector<Listed> used, left, rest;
  for (std::int32_t k = 1; k <= f.lp; ++k) {
    const bool adjustment = k <= f.ls;
    Listed p{f.Nr[k],
             f.model.x(k),
             f.model.y(k),
             adjustment ? f.model.x2(k) : 0,
             adjustment ? f.model.y2(k) : 0,
             origin[k]};
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
      origin[k] = p.origin;
    }
  }
  f.ls = static_cast<std::int32_t>(used.size());
  return static_cast<std::int32_t>(left.size());
}

// Reads Wykluczone.txt, reports its problems once, and leaves its points out of the fit.
void ApplyExclusions(const std::string& folder, TransformationState& state, TransformReport& report,
                     WindowOperations& window) {
  TFittedTransformation& f = state.FittedTransformation;
  const std::vector<PointNumber> known(f.Nr.begin() + 1, f.Nr.begin() + 1 + f.ls);
  state.exclusions = ReadExclusions(textio::PathInFolder(folder, kExclusionFileName), known);
  if (!state.exclusions.problems.empty()) {
    std::string text = "Błędy w pliku Wykluczone.txt (te wiersze pominięto):";
    for (const std::string& problem : state.exclusions.problems)
      text += "\n" + problem;
    window.ShowMessage(MessageKind::ExclusionProblem, text);
  }
  state.excluded = LeaveOut(f, state.exclusions.numbers, state.matched.origin);
  if (state.excluded > 0) report.Count(CountLine::Excluded, state.excluded);
}

// Steps after the input block; false when the model cannot be determined.
bool FitAndReport(const ModelChoice& choice, int threads, TFittedTransformation& f,
                  TransformReport& report) {
  const std::int32_t u = TrkUnknowns(choice.TransformKind, choice.TransformDegree);
  if (2 * f.ls - u < 0) return false;
  report.AdjustmentPoints(f);
  if (!f.model.Fit(choice.TransformKind, choice.TransformDegree, f.ls)) return false;
  report.Parameters(f.model);
  report.Coefficients(f.model);
  f.figures = Analyse(f, &report);
  report.Analysis(f.figures);
  report.Listing(f, ThreadsFor(threads));
  report.Description();
  return true;
}

// The per-point figures, the data-snooping proposal and the comparison of models of the
// state's fit, into the state.
void Judge(TransformationState& state) {
  const TFittedTransformation& f = state.FittedTransformation;
  state.checks.clear();
  state.models.clear();
  state.proposal.clear();
  state.testDegrees = 0;
  if (!f.fitted) return;
  CheckAdjustmentPoints(f, state.excluded, state.threads, state.checks);
  state.testDegrees = std::max(f.model.Redundancy() - 2, 0);
  // Without a flagged point the proposal's first step, the same fit, finds none either.
  if (HasSuspectPoints(state)) ProposeExclusions(f, state.proposal);
  CompareModels(f, state.scratch, state.comparisonBudget, state.threads, state.models);
}

// The judgement into the state and Kontrola.tra.
void JudgeAdjustmentPoints(const ModelChoice& choice, const std::string& folder,
                           TransformationState& state, WindowOperations& window) {
  const TFittedTransformation& f = state.FittedTransformation;
  Judge(state);
  WriteControlReport({folder, choice, f.fitted, state.checks, state.exclusions, state.models,
                      state.comparisonBudget, state.testDegrees, state.proposal},
                     window);
}

}  // namespace

void RunTransformation(const ModelChoice& choice, const std::string& folder,
                       WindowOperations& window, TransformationState& state) {
  TFittedTransformation& f = state.FittedTransformation;
  f.fitted = false;
  f.figures = AccuracyFigures{};
  TransformReport report;
  report.Create(folder, choice.ReportDecimals);
  report.Header(folder, choice.TransformKind, choice.TransformDegree);

  TPktDostosowania list;
  std::string header;
  std::int32_t number1 = 0, number2 = 0;
  TPktBIN reader;
  f.readFailed = reader.WczytajBIN(textio::PathInFolder(folder, "TRANSPKT.BIN"), header, number1,
                                   number2, list, window) != 0;
  // The entries a failed read could not fill are placeholders, not points: the fit takes the
  // records read whole before the failure, and only those.
  if (f.readFailed) list.resize(static_cast<std::size_t>(reader.RecordsComplete));
  f.pointsRead = static_cast<std::int32_t>(list.size());
  f.recordsDeclared = reader.HeaderRead ? reader.RecordsDeclared : -1;
  VerifySet(list, false, state.tables, report);
  VerifySet(list, true, state.tables, report);
  MatchSets(state.tables, f);
  state.matched.ls = f.ls;
  state.matched.origin.resize(static_cast<std::size_t>(f.lp) + 1);
  for (std::int32_t k = 0; k <= f.lp; ++k)
    state.matched.origin[k] = k;
  report.Count(CountLine::Common, f.ls);
  if (const std::string damage = reader.DamageLine(); f.readFailed && !damage.empty()) {
    report.Damage(damage);
  }
  ApplyExclusions(folder, state, report, window);

  f.fitted = FitAndReport(choice, state.threads, f, report);
  if (!f.fitted) report.Defect();
  report.Close(window);
  std::string failure;
  if (f.fitted && !WritePipelineFile(folder, f.model, failure)) {
    window.ShowMessage(MessageKind::WriteFailure, "Błąd zapisu pliku " + failure);
  }
  JudgeAdjustmentPoints(choice, folder, state, window);
}

bool RefitExcluding(const ModelChoice& choice, const std::vector<PointNumber>& excluded,
                    TransformationState& state) {
  TFittedTransformation& f = state.FittedTransformation;
  std::vector<std::int32_t>& origin = state.matched.origin;
  if (origin.size() != static_cast<std::size_t>(f.lp) + 1 || f.lp == 0) return false;
  // The listing back in the matching's order, then the new exclusions.
  const std::vector<PointNumber> numbers(f.Nr.begin(), f.Nr.begin() + f.lp + 1);
  const trk::FittedModel points = f.model;
  const std::int32_t adjustment = f.ls + state.excluded;
  for (std::int32_t k = 1; k <= f.lp; ++k) {
    const std::int32_t o = origin[k];
    f.Nr[o] = numbers[k];
    f.model.SetPrimary(o, points.x(k), points.y(k));
    f.model.SetSecondary(o, k <= adjustment ? points.x2(k) : 0, k <= adjustment ? points.y2(k) : 0);
  }
  for (std::int32_t k = 0; k <= f.lp; ++k)
    origin[k] = k;
  f.ls = state.matched.ls;
  f.figures = AccuracyFigures{};
  state.exclusions.numbers = excluded;
  state.excluded = LeaveOut(f, excluded, origin);
  const std::int32_t u = TrkUnknowns(choice.TransformKind, choice.TransformDegree);
  f.fitted = 2 * f.ls - u >= 0 && f.model.Fit(choice.TransformKind, choice.TransformDegree, f.ls);
  if (f.fitted) f.figures = Analyse(f, nullptr);
  Judge(state);
  return f.fitted;
}

std::int32_t SuspectPointCount(const TransformationState& state) {
  return static_cast<std::int32_t>(
      std::count_if(state.checks.begin(), state.checks.end(),
                    [](const AdjustmentCheck& c) { return c.flagged && !c.excluded; }));
}

std::string SuspectQuestion(const TransformationState& state) {
  std::string points;
  for (const AdjustmentCheck& c : state.checks) {
    if (!c.flagged || c.excluded) continue;
    if (!points.empty()) points += ", ";
    points += textio::Cp1250ToUtf8(TrimmedNumber(c.nr.View()));
    points += " (T = " + textio::Fixed(c.t.value_or(0), 0, 1) +
              ", |d| = " + textio::Fixed(c.d, 0, 3) + " m)";
  }
  return "Punkty podejrzane: " + points + ". Korekta Hausbrandta przeniesie ich błędy na mapę.";
}
