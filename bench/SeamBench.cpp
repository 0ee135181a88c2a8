// The seams of a county: 200 generated precincts of about 50,000 vertices each (10 million
// in all) whose boundaries share their vertices, each precinct with its own fit. Reports the
// time of the search and the process's peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>

#include "bench/CountyGenerator.h"
#include "county/Seams.h"
#include "transform/RunTransformation.h"

namespace {

struct County {
  std::vector<std::shared_ptr<const TransformationResult>> fits;
  std::vector<SeamFolder> folders;
  std::int64_t vertices = 0;
};

// rows x columns precincts of 65 x 65 parcels of 12 positions: 50,700 vertices each.
const County& MakeCounty(int rows, int columns) {
  static County county = [&] {
    County c;
    CountyShape shape;
    shape.rows = rows;
    shape.columns = columns;
    shape.parcelsPerSide = 65;
    shape.parcelSide = 20;
    TransformationWork work;
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        auto input = std::make_shared<TransformationInput>();
        input->opened = true;
        input->points = PrecinctAdjustmentPoints(shape, row, column);
        c.fits.push_back(ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work));
        SeamFolder folder;
        folder.positions = PrecinctPositions(shape, row, column);
        folder.fit = &c.fits.back()->FittedTransformation;
        folder.adjustmentPoints = input->points;
        c.vertices += static_cast<std::int64_t>(folder.positions.size());
        c.folders.push_back(std::move(folder));
      }
    }
    return c;
  }();
  return county;
}

void BM_CountySeams(benchmark::State& state) {
  const County& county = MakeCounty(10, 20);
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  std::size_t seams = 0;
  for (auto _ : state) {
    const SeamFindings found = FindSeams(county.folders, {0.01L, static_cast<int>(state.range(0))});
    seams = found.seams.size();
    benchmark::DoNotOptimize(seams);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["vertices"] = static_cast<double>(county.vertices);
  state.counters["seams"] = static_cast<double>(seams);
  // The county's positions themselves, then the peak with the search.
  state.counters["input_MB"] = static_cast<double>(before.ru_maxrss) / 1024.0;
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_CountySeams)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
