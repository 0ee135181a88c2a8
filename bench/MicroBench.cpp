// Micro-benchmarks: number reading, each written number form, TransformPoint against the
// number of adjustment points, and ParcelArea.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/BlunderSets.h"
#include "convert/ParcelArea.h"
#include "textio/NumberForms.h"
#include "textio/NumberReading.h"
#include "transform/FittedTransformation.h"
#include "transform/PointCheck.h"
#include "transform/RobustProposal.h"
#include "transform/RunTransformation.h"
#include "transform/TransformPoint.h"

namespace {

std::vector<long double> Coordinates(std::size_t count) {
  std::mt19937_64 random(5);
  std::uniform_int_distribution<std::int64_t> millimetres(5566000000LL, 7459999999LL);
  std::vector<long double> values(count);
  for (auto& v : values)
    v = millimetres(random) / 1000.0L;
  return values;
}

void ReadNumber(benchmark::State& state) {
  std::vector<std::string> texts;
  for (long double v : Coordinates(1024))
    texts.push_back(textio::Fixed(v, 0, 3));
  std::size_t i = 0;
  long double value;
  for (auto _ : state) {
    benchmark::DoNotOptimize(textio::ParseNumber(texts[i++ & 1023], value));
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(ReadNumber);

// Appends one coordinate in a number form, as a converted line does.
template <void (*Form)(std::string&, long double)>
void WriteForm(benchmark::State& state) {
  const auto values = Coordinates(1024);
  std::string line;
  std::size_t i = 0;
  for (auto _ : state) {
    line.clear();
    Form(line, values[i++ & 1023]);
    benchmark::DoNotOptimize(line.data());
  }
}

void Fixed18_2(std::string& line, long double v) {
  textio::AppendFixed(line, v, 18, 2);
}

BENCHMARK(WriteForm<Fixed18_2>)->Name("WriteFixed18_2");
BENCHMARK(WriteForm<textio::AppendScientific>)->Name("WriteScientific");
BENCHMARK(WriteForm<textio::AppendGeneral>)->Name("WriteGeneral");

// A conformal degree-1 fit over `count` adjustment points spread over 4 km.
void Fit(int count, TFittedTransformation& f) {
  std::mt19937 random(count);
  std::uniform_real_distribution<long double> spread(0, 4000);
  std::normal_distribution<long double> noise(0, 0.02L);
  for (int i = 1; i <= count; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    f.model.SetPrimary(i, x, y);
    f.model.SetSecondary(i, x + 0.2L + noise(random), y - 0.3L + noise(random));
  }
  f.ls = f.lp = count;
  f.fitted = f.model.Fit(1, 1, count);
}

void TransformPointAt(benchmark::State& state) {
  TFittedTransformation f;
  Fit(static_cast<int>(state.range(0)), f);
  TransformedPoint t;
  std::size_t i = 0;
  for (auto _ : state) {
    TransformPoint(f, 5566000.0L + (i * 37) % 4000, 7455000.0L + (i * 53) % 4000, t);
    ++i;
    benchmark::DoNotOptimize(t.Xk);
  }
  state.counters["ns_per_point"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(state.range(0)),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(TransformPointAt)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Arg(50000)->Arg(200000);

// Points over 4 km carried by a Helmert transformation with 2 cm noise into `model`.
void FillModel(int count, trk::FittedModel& model) {
  std::mt19937 random(count);
  std::uniform_real_distribution<long double> spread(0, 4000);
  std::normal_distribution<long double> noise(0, 0.02L);
  for (int i = 1; i <= count; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    model.SetPrimary(i, x, y);
    model.SetSecondary(i, x + 0.2L + noise(random), y - 0.3L + noise(random));
  }
}

// The fit through libtrk, and the leave-one-out figures of every point after it, for
// (points, kind, degree).
void FitOnly(benchmark::State& state) {
  auto model = std::make_unique<trk::FittedModel>();
  const int m = static_cast<int>(state.range(0));
  FillModel(m, *model);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        model->Fit(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)), m));
}
void DeletionFiguresOnly(benchmark::State& state) {
  auto model = std::make_unique<trk::FittedModel>();
  const int m = static_cast<int>(state.range(0));
  FillModel(m, *model);
  model->Fit(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)), m);
  std::vector<trk::DeletionFigures> figures;
  for (auto _ : state)
    benchmark::DoNotOptimize(model->Deletion(figures));
}
void FitCases(benchmark::internal::Benchmark* b) {
  for (int m : {1000, 200000}) {
    for (int kind : {1, 2}) {
      for (int degree : {1, 5})
        b->Args({m, kind, degree});
    }
  }
  b->Unit(benchmark::kMillisecond);
}
BENCHMARK(FitOnly)->Apply(FitCases);
BENCHMARK(DeletionFiguresOnly)->Apply(FitCases);

// The comparison of all 18 models over `points` adjustment points.
void CompareAllModels(benchmark::State& state) {
  TFittedTransformation f;
  const int m = static_cast<int>(state.range(0));
  FillModel(m, f.model);
  f.ls = f.lp = m;
  f.fitted = f.model.Fit(1, 1, m);
  std::vector<std::unique_ptr<trk::FittedModel>> scratch;
  std::vector<ModelRow> rows;
  for (auto _ : state)
    CompareModels(f, scratch, 1e9, 0, rows);
}
BENCHMARK(CompareAllModels)->Arg(1000)->Unit(benchmark::kMillisecond);

// The desktop's live refit after a tick: one point left out of `points`, the fit, its
// figures, the per-point judgement, the data-snooping proposal and the comparison of models
// (within its 2 s budget), as the points window gets them.
void RefitAfterATick(benchmark::State& state) {
  const int m = static_cast<int>(state.range(0));
  trk::FittedModel model;
  FillModel(m, model);
  auto input = std::make_shared<TransformationInput>();
  input->opened = true;
  for (int i = 1; i <= m; ++i) {
    // Appended, not "P" + ...: GCC 12 warns falsely of an overlap in the Release build.
    std::string nr = "P";
    nr += std::to_string(i);
    input->points.push_back({nr, model.x(i), model.y(i), model.x2(i), model.y2(i)});
  }
  const std::shared_ptr<const TransformationInput> shared = input;
  TransformationWork work;
  const std::vector<PointNumber> excluded{PointNumber("P7")};
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ComputeTransformation({1, 1, 4}, shared, &excluded, {0, 2.0, false, {}}, work));
  }
}
BENCHMARK(RefitAfterATick)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The robust proposal alone over (points, kind, degree), a tenth of them moved 8 to 30 cm.
void RobustSearch(benchmark::State& state) {
  BlunderSetShape shape;
  shape.points = static_cast<int>(state.range(0));
  shape.blunders = shape.points / 10;
  shape.side = 4000;
  const BlunderSet set = MakeBlunderSet(shape, 36);
  TFittedTransformation f;
  for (std::size_t i = 0; i < set.points.size(); ++i) {
    const auto k = static_cast<std::int32_t>(i + 1);
    f.model.SetPrimary(k, set.points[i].x1, set.points[i].y1);
    f.model.SetSecondary(k, set.points[i].x2, set.points[i].y2);
  }
  f.Nr.resize(set.points.size() + 1);
  f.ls = f.lp = shape.points;
  f.fitted = f.model.Fit(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)), f.ls);
  RobustProposal proposal;
  for (auto _ : state)
    ProposeRobustExclusions(f, proposal);
  state.counters["proposed"] = static_cast<double>(proposal.points.size());
  state.counters["starts"] = proposal.starts;
}
BENCHMARK(RobustSearch)
    ->ArgsProduct({{1000, 20000}, {1, 2}, {1, 3}})
    ->Args({1000, 1, 9})
    ->Args({1000, 2, 5})
    ->Args({1000, 2, 9})
    ->Args({20000, 1, 9})
    ->Args({20000, 2, 5})
    ->Args({20000, 2, 9})
    ->Unit(benchmark::kMillisecond);

void ParcelAreaOfRing(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  BoundaryRing ring;
  ring.X.resize(k + 1);
  ring.Y.resize(k + 1);
  for (int i = 1; i <= k; ++i) {
    const long double a = 6.283185307179586L * (i - 1) / (k - 1);
    ring.X[i] = 5567000 + 50 * std::cos(a);
    ring.Y[i] = 7456000 + 50 * std::sin(a);
  }
  // The area shifts the ring to its first vertex; later calls find it shifted already and
  // do the same work.
  for (auto _ : state)
    benchmark::DoNotOptimize(ParcelArea(ring, k));
}
BENCHMARK(ParcelAreaOfRing)->Arg(5)->Arg(100);

}  // namespace

BENCHMARK_MAIN();
