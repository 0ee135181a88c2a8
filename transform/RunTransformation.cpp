#include "transform/RunTransformation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "textio/FolderFiles.h"
#include "transform/FittedTransformation.h"
#include "transform/TransformReport.h"
#include "transform/TransformSettings.h"
#include "transform/UPKTBIN.h"
#include "trk/trk.h"

namespace {

// A working point set, indices 1..count.
struct PointSet {
  PointSet() : nr(TRK_ARRAY_SIZE), x(TRK_ARRAY_SIZE), y(TRK_ARRAY_SIZE) {}
  std::vector<PointNumber> nr;
  std::vector<long double> x, y;
  std::int32_t count = 0;
};

// Tables of the run, allocated once for the largest file and reused by every run.
struct Workspace {
  Workspace() : byNumber(TRK_ARRAY_SIZE), firstOf(TRK_ARRAY_SIZE), taken(TRK_ARRAY_SIZE) {
    marked.reserve(TRK_ARRAY_SIZE);
  }
  PointSet primary, secondary;
  std::vector<std::int32_t> byNumber;  // indices 1..count ordered by number, then index
  std::vector<std::int32_t> firstOf;   // first index holding the same number
  std::vector<std::int32_t> marked;    // indices whose number is now "*", ascending
  std::vector<char> taken;             // primary points matched to a secondary point
};

Workspace& Work() {
  static Workspace work;
  return work;
}

void FormSet(const TPktDostosowania& list, bool secondary, PointSet& set) {
  set.count = static_cast<std::int32_t>(list.size());
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
std::int32_t MarkRepeats(PointSet& set, TransformReport& report) {
  Workspace& work = Work();
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

void VerifySet(const TPktDostosowania& list, bool secondary, TransformReport& report) {
  PointSet& set = secondary ? Work().secondary : Work().primary;
  FormSet(list, secondary, set);
  report.Count(secondary ? CountLine::SecondaryGiven : CountLine::PrimaryGiven, set.count);
  const std::int32_t repetitions = MarkRepeats(set, report);
  if (repetitions > 0) {
    report.Count(secondary ? CountLine::SecondaryRepeats : CountLine::PrimaryRepeats, repetitions);
  }
  KeepVerified(set);
  report.Count(secondary ? CountLine::SecondaryVerified : CountLine::PrimaryVerified, set.count);
}

// Pairs every verified secondary point with the verified primary point of its number (the
// numbers of a verified set are unique), then appends the unpaired primary points as check
// points.
void MatchSets(TFittedTransformation& f) {
  Workspace& work = Work();
  const PointSet& primary = work.primary;
  const PointSet& secondary = work.secondary;
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
    f.x[f.ls] = primary.x[j];
    f.y[f.ls] = primary.y[j];
    f.x2[f.ls] = secondary.x[k];
    f.y2[f.ls] = secondary.y[k];
  }
  f.lp = f.ls;
  for (std::int32_t j = 1; j <= primary.count; ++j) {
    if (work.taken[j]) continue;
    ++f.lp;
    f.Nr[f.lp] = primary.nr[j];
    f.x[f.lp] = primary.x[j];
    f.y[f.lp] = primary.y[j];
  }
}

bool Fit(TFittedTransformation& f) {
  auto fit = TransformKind == 1 ? transkf : transaf;
  std::int32_t status = 0;
  fit(&TransformDegree, &f.ls, f.x.data(), f.y.data(), f.x2.data(), f.y2.data(), f.vx.data(),
      f.vy.data(), f.w.data(), &f.skala, &f.xo, &f.yo, &f.Xo, &f.Yo, &status);
  return status != 1;
}

AccuracyFigures Analyse(const TFittedTransformation& f, std::int32_t u, TransformReport& report) {
  AccuracyFigures a;
  a.equations = 2 * f.ls;
  a.unknowns = u;
  a.redundancy = a.equations - u;
  long double sumX = 0, sumY = 0;
  std::int32_t worst = 0;
  report.ResidualsHeader();
  for (std::int32_t k = 1; k <= f.ls; ++k) {
    sumX += f.vx[k] * f.vx[k];
    sumY += f.vy[k] * f.vy[k];
    report.Residual(f.Nr[k], f.vx[k], f.vy[k]);
    const long double dr = std::sqrt(f.vx[k] * f.vx[k] + f.vy[k] * f.vy[k]);
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

// Steps after the input block; false when the model cannot be determined.
bool FitAndReport(TFittedTransformation& f, TransformReport& report) {
  const std::int32_t u = TrkUnknowns(TransformKind, TransformDegree);
  const std::int32_t r = 2 * f.ls - u;
  if (r < 0) return false;
  report.AdjustmentPoints(f);
  if (!Fit(f)) return false;
  const long double m0w = r > 0 ? std::sqrt(std::fabs(f.w[1]) / r) : 0;
  report.Parameters(f);
  report.Coefficients(TransformKind, TransformDegree, f.w.data(), m0w);
  report.Analysis(Analyse(f, u, report));
  report.Listing(f);
  report.Description();
  return true;
}

}  // namespace

void RunTransformation(const std::string& folder, WindowOperations& window) {
  TFittedTransformation& f = FittedTransformation;
  f.fitted = false;
  TransformReport report;
  report.Create(folder, ReportDecimals);
  report.Header(folder, TransformKind, TransformDegree);

  TPktDostosowania list;
  std::string header;
  std::int32_t number1 = 0, number2 = 0;
  PktBIN().WczytajBIN(textio::PathInFolder(folder, "TRANSPKT.BIN"), header, number1, number2, list,
                      window);
  VerifySet(list, false, report);
  VerifySet(list, true, report);
  MatchSets(f);
  report.Count(CountLine::Common, f.ls);

  f.fitted = FitAndReport(f, report);
  if (!f.fitted) report.Defect();
  report.Close(window);
}
