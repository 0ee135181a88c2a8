#include "transform/RobustProposal.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <set>

namespace {

constexpr std::uint64_t kSeed = 20261210;   // every search draws the same subsets
constexpr std::size_t kSampled = 1000;      // the trimmed fit sees at most this many points
constexpr std::size_t kStartSampled = 300;  // and its starts at most this many of them
constexpr int kStartSteps = 1;              // concentration steps of each start
constexpr int kMostSteps = 100;             // concentration of the best start, at most
constexpr int kMostRounds = 50;             // rounds of reweighting, at most
// chi^2(2) at 0.99, -2 ln 0.01: |v|^2 / m0^2 of a point without a blunder lies above it
// once in a hundred.
constexpr long double kRejection = 9.2103403719761827361L;
// chi^2(2) at 0.9999, -2 ln 1e-4: the first round's generous limit.
constexpr long double kFirstRejection = 18.420680743952367082L;

// Whole numbers below n, uniform, from the 64-bit Mersenne twister: its sequence is fixed
// by the standard, and the rejection below by this code, so every platform draws alike.
class Draws {
 public:
  std::uint64_t Below(std::uint64_t n) {
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    for (;;) {
      const std::uint64_t r = engine_();
      if (r < limit) return r % n;
    }
  }

 private:
  std::mt19937_64 engine_{kSeed};
};

// Moves `count` points drawn from `pool` to its front (a partial Fisher-Yates shuffle).
void DrawFront(std::vector<std::int32_t>& pool, std::size_t count, Draws& draws) {
  for (std::size_t j = 0; j < count; ++j)
    std::swap(pool[j], pool[j + draws.Below(pool.size() - j)]);
}

// The mean of chi^2(2) over its lower fraction q, [2 - (c + 2)(1 - q)] / q with c the
// q-quantile -2 ln(1 - q): a trimmed [vv] divided by it estimates m0^2 twice over.
long double LowerMean(long double q) {
  if (q >= 1) return 2;
  const long double c = -2 * std::log1p(-q);
  return (2 - (c + 2) * (1 - q)) / q;
}

// A fit of some of the used points of `f`, in a model of its own.
class SubsetFit {
 public:
  explicit SubsetFit(const TFittedTransformation& f) : f_(f) {}

  // Fits the used points `subset` (indices 1..ls of f); false when they do not determine
  // the model.
  bool Fit(const std::vector<std::int32_t>& subset) {
    const auto count = static_cast<std::int32_t>(subset.size());
    model_.Reserve(count);
    for (std::int32_t i = 1; i <= count; ++i) {
      const std::int32_t k = subset[i - 1];
      model_.SetPrimary(i, f_.model.x(k), f_.model.y(k));
      model_.SetSecondary(i, f_.model.x2(k), f_.model.y2(k));
    }
    return model_.Fit(f_.model.Kind(), f_.model.Degree(), count, false);
  }

  // |v|^2 of used point k of f: its secondary coordinates minus the model's value (m^2).
  long double Squared(std::int32_t k) const {
    long double X, Y;
    model_.Value(f_.model.x(k), f_.model.y(k), X, Y);
    const long double vx = f_.model.x2(k) - X, vy = f_.model.y2(k) - Y;
    return vx * vx + vy * vy;
  }

 private:
  const TFittedTransformation& f_;
  trk::FittedModel model_;
};

struct Trimmed {
  std::vector<std::int32_t> subset;  // ascending
  long double q = 0;                 // the sum of their |v|^2, the trimmed criterion
  std::size_t among = 0;             // the points they were chosen among
};

// The h points of `scope` of least |v|^2 under the fit (ties as nth_element leaves them),
// and their sum.
Trimmed Smallest(const SubsetFit& fit, const std::vector<std::int32_t>& scope, std::size_t h) {
  std::vector<std::pair<long double, std::int32_t>> squares;
  squares.reserve(scope.size());
  for (std::int32_t k : scope)
    squares.emplace_back(fit.Squared(k), k);
  std::nth_element(squares.begin(), squares.begin() + static_cast<std::ptrdiff_t>(h - 1),
                   squares.end());
  Trimmed t;
  t.among = scope.size();
  for (std::size_t i = 0; i < h; ++i) {
    t.subset.push_back(squares[i].second);
    t.q += squares[i].first;
  }
  std::sort(t.subset.begin(), t.subset.end());
  return t;
}

// Concentration steps: the least-squares fit of the h points kept, then the h points of
// least |v|^2 under it. Q never grows; at most `steps`, or until the points stay.
void Concentrate(SubsetFit& fit, const std::vector<std::int32_t>& scope, int steps, Trimmed& t) {
  for (int s = 0; s < steps; ++s) {
    if (!fit.Fit(t.subset)) return;
    Trimmed next = Smallest(fit, scope, t.subset.size());
    const bool same = next.subset == t.subset;
    if (next.q <= t.q) t = std::move(next);
    if (same) return;
  }
}

std::vector<std::int32_t> Range(std::int32_t first, std::int32_t last) {
  std::vector<std::int32_t> r;
  for (std::int32_t k = first; k <= last; ++k)
    r.push_back(k);
  return r;
}

std::size_t Coverage(std::size_t points, std::size_t subset) {
  return (points + subset + 1) / 2;
}

// `count` of `points` (ascending), drawn; all of them when they are no more.
std::vector<std::int32_t> Drawn(std::vector<std::int32_t> points, std::size_t count, Draws& draws) {
  if (points.size() <= count) return points;
  DrawFront(points, count, draws);
  points.resize(count);
  std::sort(points.begin(), points.end());
  return points;
}

// Least trimmed squares over a sample of the points: starts of random minimal subsets, each
// concentrated a little on a smaller sample, and the best of them (least Q, the first drawn
// of equals) concentrated on the whole sample until its points stay. Its fit needs not be
// the least trimmed one, only one the blunders did not pull: the reweighting goes on from
// it over every point.
std::optional<Trimmed> LeastTrimmedSquares(const TFittedTransformation& f, std::int32_t starts) {
  const std::size_t p = MinimalSubset(f.model.Unknowns());
  Draws draws;
  const std::vector<std::int32_t> sample = Drawn(Range(1, f.ls), kSampled, draws);
  const std::vector<std::int32_t> startSample = Drawn(sample, kStartSampled, draws);
  const std::size_t startH = Coverage(startSample.size(), p);
  SubsetFit fit(f);
  std::optional<Trimmed> best;
  std::vector<std::int32_t> pool = startSample, subset;
  for (std::int32_t s = 0; s < starts; ++s) {
    DrawFront(pool, p, draws);
    subset.assign(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(p));
    if (!fit.Fit(subset)) continue;
    Trimmed t = Smallest(fit, startSample, startH);
    Concentrate(fit, startSample, kStartSteps, t);
    if (!best || t.q < best->q) best = std::move(t);
  }
  if (!best) return best;
  if (startSample.size() != sample.size()) {
    if (!fit.Fit(best->subset)) return std::nullopt;
    best = Smallest(fit, sample, Coverage(sample.size(), p));
  }
  Concentrate(fit, sample, kMostSteps, *best);
  return best;
}

// m0^2 from the median of |v|^2 over every point: for a point without a blunder |v|^2 / m0^2
// follows chi^2(2), whose median is 2 ln 2. Blunders, fewer than half, move the median only
// up, and no subset of lucky points pulls it down.
long double MedianM0Squared(const SubsetFit& fit, std::int32_t points, std::int32_t unknowns) {
  std::vector<long double> squares;
  for (std::int32_t k = 1; k <= points; ++k)
    squares.push_back(fit.Squared(k));
  const auto middle = squares.begin() + static_cast<std::ptrdiff_t>(squares.size() / 2);
  std::nth_element(squares.begin(), middle, squares.end());
  return *middle / (2 * std::log(2.0L)) * (2.0L * points) / (2.0L * points - unknowns);
}

// Reweighted least squares with weights 0 and 1: the points whose |v|^2 lies within
// kRejection m0^2 are kept and fitted, until the points kept stay. The trimmed fit makes
// its own half of the residuals small, so its m0 (from its [vv] over the lower mean of
// chi^2(2)) comes out small among few points, and the first round keeps what lies within
// kFirstRejection of it; from then on m0 comes from the median over every point.
std::vector<std::int32_t> Reweighted(const TFittedTransformation& f, const Trimmed& trimmed) {
  const std::int32_t u = f.model.Unknowns();
  SubsetFit fit(f);
  std::vector<std::int32_t> kept = trimmed.subset;
  if (!fit.Fit(kept)) return kept;
  const auto h = static_cast<long double>(kept.size());
  const auto among = static_cast<long double>(trimmed.among);
  long double limit = kFirstRejection * trimmed.q / (2 * h - u) * 2 / LowerMean(h / among);
  for (int round = 0; round < kMostRounds; ++round) {
    std::vector<std::int32_t> next;
    for (std::int32_t k = 1; k <= f.ls; ++k) {
      if (fit.Squared(k) <= limit) next.push_back(k);
    }
    if (next == kept || 2 * static_cast<std::int32_t>(next.size()) - u < u || !fit.Fit(next)) {
      break;
    }
    kept = std::move(next);
    limit = kRejection * MedianM0Squared(fit, f.ls, u);
  }
  return kept;
}

// One state of the final judgement: the points kept fitted, each point's T.
struct Judgement {
  std::vector<std::int32_t> kept, out;  // ascending
  trk::FittedModel model;               // kept in 1..|kept|, then out
  std::vector<std::optional<long double>> keptT, outT;
  std::int32_t tested = 0;  // kept points with a T
  long double m0 = 0;
};

// Fits the kept points and takes the T of every point: the kept ones' deletion figures; a
// point out has d = secondary minus the fit, of variance m0^2 (1 + h) and independent of
// m0, so T = |d|^2 / (2 m0^2 (1 + h)) follows F(2, r) where it is no blunder. It is the T
// the point would have, tested as a kept point, were it back.
bool Assess(const TFittedTransformation& f, Judgement& j) {
  const auto count = static_cast<std::int32_t>(j.kept.size());
  std::int32_t i = 0;
  for (const auto* group : {&j.kept, &j.out}) {
    for (std::int32_t k : *group) {
      ++i;
      j.model.SetPrimary(i, f.model.x(k), f.model.y(k));
      j.model.SetSecondary(i, f.model.x2(k), f.model.y2(k));
    }
  }
  std::vector<trk::DeletionFigures> deletion;
  std::vector<long double> leverage;
  if (!j.model.Fit(f.model.Kind(), f.model.Degree(), count, false) || !j.model.Deletion(deletion) ||
      !j.model.Leverages(count + 1, i, leverage)) {
    return false;
  }
  const std::int32_t r = j.model.Redundancy();
  j.m0 = j.model.M0();
  j.keptT.assign(j.kept.size(), std::nullopt);
  j.tested = 0;
  for (std::int32_t k = 1; k <= count; ++k) {
    j.keptT[k - 1] = DeletionTestStatistic(deletion[k], r);
    j.tested += j.keptT[k - 1] ? 1 : 0;
  }
  j.outT.assign(j.out.size(), std::nullopt);
  for (std::size_t o = 0; o < j.out.size(); ++o) {
    if (!(j.m0 > 0)) continue;
    long double X, Y;
    const std::int32_t k = j.out[o];
    j.model.Value(f.model.x(k), f.model.y(k), X, Y);
    const long double dx = f.model.x2(k) - X, dy = f.model.y2(k) - Y;
    j.outT[o] = (dx * dx + dy * dy) / (2 * j.m0 * j.m0 * (1 + leverage[o]));
  }
  return true;
}

// One step of the final judgement: every point out whose T lies at or below the set's
// value of the kept points and itself comes back; when none does, the kept point of largest
// T above the set's value of the kept points goes out, while r stays at 3 or more. False
// when the state stays.
bool Step(Judgement& j) {
  const std::int32_t r = j.model.Redundancy();
  std::vector<std::int32_t> back;
  if (r > 0) {
    const long double critical = FisherCritical(r, SidakAlpha(j.tested + 1));
    for (std::size_t o = 0; o < j.out.size(); ++o) {
      if (j.outT[o] && *j.outT[o] <= critical) back.push_back(j.out[o]);
    }
  }
  if (!back.empty()) {
    for (std::int32_t k : back)
      j.out.erase(std::find(j.out.begin(), j.out.end(), k));
    j.kept.insert(j.kept.end(), back.begin(), back.end());
    std::sort(j.kept.begin(), j.kept.end());
    return true;
  }
  if (r - 2 < 3) return false;  // leaving out one more would bring r below 3
  const long double critical = FisherCritical(r - 2, SidakAlpha(j.tested));
  std::size_t worst = j.kept.size();
  long double worstT = critical;
  for (std::size_t i = 0; i < j.kept.size(); ++i) {
    if (j.keptT[i] && *j.keptT[i] > worstT) {
      worst = i;
      worstT = *j.keptT[i];
    }
  }
  if (worst == j.kept.size()) return false;
  j.out.insert(std::upper_bound(j.out.begin(), j.out.end(), j.kept[worst]), j.kept[worst]);
  j.kept.erase(j.kept.begin() + static_cast<std::ptrdiff_t>(worst));
  return true;
}

// The final judgement from the points the reweighting kept, until the state stays (or
// comes back to one it has been in, or has taken as many steps as twice the points and ten
// more: then that one).
bool FinalJudgement(const TFittedTransformation& f, std::vector<std::int32_t> kept, Judgement& j) {
  j.kept = std::move(kept);
  j.out.clear();
  for (std::int32_t k = 1; k <= f.ls; ++k) {
    if (!std::binary_search(j.kept.begin(), j.kept.end(), k)) j.out.push_back(k);
  }
  std::set<std::vector<std::int32_t>> seen;
  for (std::int32_t step = 0;; ++step) {
    if (!Assess(f, j)) return false;
    if (step > 2 * f.ls + 10 || !seen.insert(j.out).second || !Step(j)) return true;
  }
}

// Whether two proposals name the same points, in whatever order.
bool SameNumbers(const std::vector<ProposedExclusion>& a, const std::vector<ProposedExclusion>& b) {
  const auto numbers = [](const std::vector<ProposedExclusion>& steps) {
    std::vector<PointNumber> n;
    for (const ProposedExclusion& p : steps)
      n.push_back(p.nr);
    std::sort(n.begin(), n.end());
    return n;
  };
  return numbers(a) == numbers(b);
}

}  // namespace

std::int32_t RobustStarts(std::int32_t unknowns) {
  // (1 - 0.5^p)^K <= 1e-3: one of K starts is free of blunders when half the points are.
  const long double byChance =
      std::ceil(std::log(1e-3L) / std::log1p(-std::pow(0.5L, MinimalSubset(unknowns))));
  // A start fits its subset and half the start sample, at a cost that grows with the square of the
  // unknowns: 30 starts of 20 unknowns at the most.
  const long double affordable = 30.0L * 20 * 20 / (unknowns * unknowns);
  return static_cast<std::int32_t>(std::clamp(std::min(byChance, affordable), 10.0L, 500.0L));
}

void ProposeRobustExclusions(const TFittedTransformation& f, RobustProposal& proposal) {
  proposal = RobustProposal{};
  if (!f.fitted) return;
  const std::int32_t u = f.model.Unknowns();
  const auto h = static_cast<std::int32_t>(Coverage(f.ls, MinimalSubset(u)));
  if (2 * h - u < u) return;  // the best half leaves the model too little redundancy
  proposal.starts = RobustStarts(u);
  const std::optional<Trimmed> trimmed = LeastTrimmedSquares(f, proposal.starts);
  if (!trimmed) return;
  Judgement j;
  if (!FinalJudgement(f, Reweighted(f, *trimmed), j)) return;
  proposal.computed = true;
  proposal.coverage = static_cast<std::int32_t>(trimmed->subset.size());
  proposal.sampled = static_cast<std::int32_t>(trimmed->among);
  proposal.m0 = j.m0;
  const std::int32_t r = j.model.Redundancy();
  if (r > 0) {
    proposal.clearCritical = FisherCritical(r, SidakAlpha(j.tested + 1, kClearAlpha));
  }
  for (std::size_t o = 0; o < j.out.size(); ++o)
    proposal.points.push_back({f.Nr[j.out[o]], j.outT[o].value_or(0), j.m0});
  std::stable_sort(
      proposal.points.begin(), proposal.points.end(),
      [](const ProposedExclusion& a, const ProposedExclusion& b) { return a.t > b.t; });
}

bool RobustOverturns(const RobustProposal& robust, const std::vector<ProposedExclusion>& snooping) {
  if (!robust.computed || SameNumbers(robust.points, snooping)) return false;
  if (!snooping.empty()) return true;
  const auto clear =
      std::count_if(robust.points.begin(), robust.points.end(),
                    [&](const ProposedExclusion& p) { return p.t > robust.clearCritical; });
  return 2 * static_cast<std::size_t>(clear) > robust.points.size();
}
