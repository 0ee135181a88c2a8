#include "transform/PointCheck.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>

#include "core/Threads.h"
#include "transform/TransformPoint.h"

namespace {

// m0 of the fit without one point: [vv](i) over the redundancy less its two observations.
std::optional<long double> M0Without(long double vvWithout, std::int32_t redundancy) {
  if (redundancy - 2 <= 0) return std::nullopt;
  return std::sqrt(std::fmax(vvWithout, 0.0L) / (redundancy - 2));
}

AdjustmentCheck PointOf(const TFittedTransformation& f, std::int32_t k) {
  AdjustmentCheck c;
  c.nr = f.Nr[k];
  c.x1 = f.model.x(k);
  c.y1 = f.model.y(k);
  c.x2 = f.model.x2(k);
  c.y2 = f.model.y2(k);
  return c;
}

// T = (1 - h) |d|^2 / (2 m0(i)^2); nothing where m0(i) is not known or is 0.
std::optional<long double> TestStatistic(long double h, long double d,
                                         const std::optional<long double>& m0i) {
  if (!m0i || !(*m0i > 0)) return std::nullopt;
  return (1 - h) * d * d / (2 * *m0i * *m0i);
}

void UsedPoints(const TFittedTransformation& f, int threads, std::vector<AdjustmentCheck>& checks) {
  std::vector<trk::DeletionFigures> deletion;
  const bool known = f.model.Deletion(deletion, threads);
  const int nu = f.model.Redundancy() - 2;
  const long double critical = nu > 0 ? FisherCritical(nu) : 0;
  for (std::int32_t k = 1; k <= f.ls; ++k) {
    AdjustmentCheck c = PointOf(f, k);
    c.vx = f.model.vx(k);
    c.vy = f.model.vy(k);
    if (known && deletion[k].predictable) {
      const trk::DeletionFigures& del = deletion[k];
      c.predictable = true;
      c.dx = del.dx;
      c.dy = del.dy;
      c.d = std::hypot(del.dx, del.dy);
      c.m0i = M0Without(del.vvWithout, f.model.Redundancy());
      c.h = del.leverage;
      c.t = TestStatistic(del.leverage, c.d, c.m0i);
      c.flagged = c.t && *c.t > critical;
    } else if (known) {
      c.h = 1;
    }
    checks.push_back(c);
  }
}

// Each excluded point costs a correction over every used point, so they share the cores.
void ExcludedPoints(const TFittedTransformation& f, std::int32_t excluded, int threads,
                    std::vector<AdjustmentCheck>& checks) {
  const std::size_t first = checks.size();
  checks.resize(first + static_cast<std::size_t>(std::max(excluded, 0)));
  ParallelFor(checks.size() - first, threads, 16, [&](std::size_t begin, std::size_t end) {
    TransformedPoint t;
    for (std::size_t i = begin; i < end; ++i) {
      AdjustmentCheck c = PointOf(f, f.ls + 1 + static_cast<std::int32_t>(i));
      c.excluded = true;
      c.predictable = true;
      TransformPoint(f, c.x1, c.y1, t);
      c.dxModel = c.x2 - t.X;
      c.dyModel = c.y2 - t.Y;
      c.dModel = std::hypot(c.dxModel, c.dyModel);
      c.dx = c.x2 - t.Xk;
      c.dy = c.y2 - t.Yk;
      c.d = std::hypot(c.dx, c.dy);
      checks[first + i] = c;
    }
  });
}

void Figures(const trk::FittedModel& model, ModelRow& row) {
  row.m0 = model.M0();
  for (std::int32_t i = 1; i <= model.Points(); ++i)
    row.maxResidual = std::fmax(row.maxResidual, std::hypot(model.vx(i), model.vy(i)));
  std::vector<trk::DeletionFigures> deletion;
  if (!model.Deletion(deletion)) return;
  long double sum = 0;
  row.looComplete = true;
  for (std::int32_t i = 1; i <= model.Points(); ++i) {
    if (!deletion[i].predictable) {
      row.looComplete = false;
      continue;
    }
    const long double d = std::hypot(deletion[i].dx, deletion[i].dy);
    sum += d * d;
    row.looMax = std::fmax(row.looMax, d);
  }
  row.looRms = std::sqrt(sum / model.Points());
}

}  // namespace

std::optional<long double> DeletionTestStatistic(const trk::DeletionFigures& d,
                                                 std::int32_t redundancy) {
  if (!d.predictable) return std::nullopt;
  return TestStatistic(d.leverage, std::hypot(d.dx, d.dy), M0Without(d.vvWithout, redundancy));
}

long double SidakAlpha(int tested, long double alpha) {
  // -expm1(log1p(-alpha) / n): exact where 1 - (1 - alpha)^(1/n) would lose its digits.
  return -std::expm1(std::log1p(-alpha) / std::max(tested, 1));
}

long double FisherCritical(int nu, long double alpha) {
  return nu / 2.0L * (std::pow(alpha, -2.0L / nu) - 1);
}

void ProposeExclusions(const TFittedTransformation& f, std::vector<ProposedExclusion>& steps) {
  steps.clear();
  if (!f.fitted) return;
  std::vector<std::int32_t> left;  // listing indices of the points still in the fit
  for (std::int32_t k = 1; k <= f.ls; ++k)
    left.push_back(k);
  trk::FittedModel model;
  std::vector<trk::DeletionFigures> deletion;
  for (;;) {
    const auto m = static_cast<std::int32_t>(left.size());
    model.Reserve(m);
    for (std::int32_t i = 1; i <= m; ++i) {
      model.SetPrimary(i, f.model.x(left[i - 1]), f.model.y(left[i - 1]));
      model.SetSecondary(i, f.model.x2(left[i - 1]), f.model.y2(left[i - 1]));
    }
    const int nu = 2 * m - TrkUnknowns(f.model.Kind(), f.model.Degree()) - 2;
    if (nu < 3 || !model.Fit(f.model.Kind(), f.model.Degree(), m, false) ||
        !model.Deletion(deletion)) {
      return;  // leaving out one more would bring r below 3
    }
    // Each point's T and m0 without it; then the set's critical value for the points tested.
    std::vector<std::optional<long double>> t(m + 1), m0i(m + 1);
    int tested = 0;
    for (std::int32_t i = 1; i <= m; ++i) {
      if (!deletion[i].predictable) continue;
      m0i[i] = M0Without(deletion[i].vvWithout, nu + 2);
      t[i] =
          TestStatistic(deletion[i].leverage, std::hypot(deletion[i].dx, deletion[i].dy), m0i[i]);
      tested += t[i] ? 1 : 0;
    }
    const long double critical = FisherCritical(nu, SidakAlpha(tested));
    std::int32_t worst = 0;
    long double worstT = critical, m0After = 0;
    for (std::int32_t i = 1; i <= m; ++i) {
      if (t[i] && *t[i] > worstT) {
        worst = i;
        worstT = *t[i];
        m0After = *m0i[i];
      }
    }
    if (worst == 0) return;
    steps.push_back({f.Nr[left[worst - 1]], worstT, m0After});
    left.erase(left.begin() + (worst - 1));
  }
}

void SuggestModel(std::vector<ModelRow>& rows) {
  const auto candidate = [](const ModelRow& r) {
    return !r.defective && !r.skipped && r.looComplete;
  };
  const ModelRow* best = nullptr;
  for (const ModelRow& r : rows) {
    if (candidate(r) && (!best || r.looRms < best->looRms)) best = &r;
  }
  if (!best) return;
  ModelRow* chosen = nullptr;
  for (ModelRow& r : rows) {
    if (!candidate(r) || r.looRms > best->looRms + kSuggestionTie) continue;
    if (!chosen || r.unknowns < chosen->unknowns ||
        (r.unknowns == chosen->unknowns && r.looRms < chosen->looRms)) {
      chosen = &r;
    }
  }
  chosen->suggested = true;
}

void CheckAdjustmentPoints(const TFittedTransformation& f, std::int32_t excluded, int threads,
                           std::vector<AdjustmentCheck>& checks) {
  checks.clear();
  UsedPoints(f, ThreadsFor(threads), checks);
  ExcludedPoints(f, excluded, ThreadsFor(threads), checks);
}

void CompareModels(const TFittedTransformation& f,
                   std::vector<std::unique_ptr<trk::FittedModel>>& scratch, double budgetSeconds,
                   int requestedThreads, std::vector<ModelRow>& rows) {
  rows.clear();
  for (std::int32_t kind = 1; kind <= 2; ++kind) {
    for (std::int32_t degree = 1; degree <= TRK_MAX_DEGREE; ++degree) {
      ModelRow row{kind, degree, TrkUnknowns(kind, degree), 2 * f.ls - TrkUnknowns(kind, degree)};
      if (row.redundancy >= 3) rows.push_back(row);
    }
  }
  const int threads = std::max(1, std::min({ThreadsFor(requestedThreads), kComparisonThreads,
                                            static_cast<int>(rows.size())}));
  while (scratch.size() < static_cast<std::size_t>(threads))
    scratch.push_back(std::make_unique<trk::FittedModel>());
  for (int t = 0; t < threads; ++t) {
    for (std::int32_t k = 1; k <= f.ls; ++k) {
      scratch[t]->SetPrimary(k, f.model.x(k), f.model.y(k));
      scratch[t]->SetSecondary(k, f.model.x2(k), f.model.y2(k));
    }
  }
  // Cheaper models first, so the budget leaves out the costly ones.
  std::vector<ModelRow*> order;
  for (ModelRow& r : rows)
    order.push_back(&r);
  std::stable_sort(order.begin(), order.end(),
                   [](const ModelRow* a, const ModelRow* b) { return a->unknowns < b->unknowns; });
  // Each thread takes the next row in that order. The cheapest model is always compared,
  // whatever the budget; any other only when the rows so far say it ends within the budget
  // (a row's cost grows with the points times the square of its unknowns, and a costly row
  // once started runs to its end). The rate is the fastest row's: a row the system paused
  // only looks slower, and must not make the rest look too costly to start.
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
  std::atomic<std::size_t> next{0};
  std::mutex rateMutex;
  double secondsPerUnit = -1;  // the fastest row so far, per point and squared unknown
  ParallelFor(threads, threads, 1, [&](std::size_t begin, std::size_t) {
    trk::FittedModel& model = *scratch[begin];
    for (std::size_t k; (k = next.fetch_add(1)) < order.size();) {
      ModelRow& row = *order[k];
      const double units = static_cast<double>(f.ls) * row.unknowns * row.unknowns;
      const auto rowStart = Clock::now();
      double predicted;
      {
        std::lock_guard<std::mutex> lock(rateMutex);
        predicted = secondsPerUnit < 0 ? 0 : secondsPerUnit * units;
      }
      if (k > 0 && seconds(rowStart - start) + predicted > budgetSeconds) {
        row.skipped = true;
        continue;
      }
      if (!model.Fit(row.kind, row.degree, f.ls, false)) {
        row.defective = true;
      } else {
        Figures(model, row);
      }
      std::lock_guard<std::mutex> lock(rateMutex);
      const double rate = seconds(Clock::now() - rowStart) / units;
      secondsPerUnit = secondsPerUnit < 0 ? rate : std::min(secondsPerUnit, rate);
    }
  });
  SuggestModel(rows);
}

const char* PointRemark(const AdjustmentCheck& c) {
  if (c.excluded) return "wyłączony (kontrolny)";
  if (!c.predictable) return "h = 1: nie do wyznaczenia bez niego";
  if (c.flagged && c.suspect) return "*** podejrzany (T > F_kr)";
  if (c.flagged) return "*** do sprawdzenia (T > F_kr)";
  if (c.suspect) return "podejrzany w teście zbioru";
  return "";
}
