// make_bench_folder FOLDER [POINT_RECORDS [VERTEX_LINES [ADJUSTMENT_POINTS [VERTICES]]]]:
// writes the
// working folder of the whole-run benchmark: TRANSPKT.BIN, PUNKTY.ept (two pairs a record),
// DZIALKI.edz (records of VERTICES vertex lines, 10 by default, at most 10) and cct_input.txt, the
// pairs of PUNKTY.ept one a line for PROJ's cct.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "textio/NumberForms.h"
#include "textio/TextFile.h"
#include "transform/UPKTBIN.h"

namespace {

constexpr long double kNorth = 5566000, kEast = 7455000, kSide = 4000;

void AdjustmentPoints(const std::string& folder, int count) {
  std::mt19937 random(1);
  std::uniform_real_distribution<long double> spread(0, kSide);
  std::normal_distribution<long double> noise(0, 0.02L);
  TPktDostosowania points;
  for (int i = 1; i <= count; ++i) {
    const long double x = kNorth + spread(random), y = kEast + spread(random);
    points.push_back({std::to_string(i), x, y, x + 0.2L + noise(random), y - 0.3L + noise(random)});
  }
  WriteTransPktBIN(folder + "/TRANSPKT.BIN", "bench", 0, 0, points);
}

void Points(const std::string& folder, int records) {
  std::mt19937_64 random(2);
  std::uniform_int_distribution<std::int64_t> cm(0, static_cast<std::int64_t>(kSide) * 100);
  textio::TextFileWriter points, cct;
  points.Create(folder + "/PUNKTY.ept");
  cct.Create(folder + "/cct_input.txt");
  std::string line, pair;
  for (int i = 0; i < records; ++i) {
    const long double x = kNorth + cm(random) / 100.0L, y = kEast + cm(random) / 100.0L;
    line.assign(1, 'P');
    line += std::to_string(i);
    line.resize(20, ' ');
    for (long double v : {x, y, x + 1.5L, y + 1.5L})
      textio::AppendFixed(line, v, 14, 2);
    line += "   1";
    points.WriteLine(line);
    for (long double dx : {0.0L, 1.5L}) {
      pair.clear();
      textio::AppendFixed(pair, x + dx, 0, 2);
      pair += ' ';
      textio::AppendFixed(pair, y + dx, 0, 2);
      cct.WriteLine(pair);
    }
  }
  points.Close();
  cct.Close();
}

// Square parcels of 20 m in precincts of 1000 records, `vertices` vertex lines each (the
// square with points on its sides, closed on its first corner).
void Parcels(const std::string& folder, int vertexLines, int vertices) {
  textio::TextFileWriter parcels;
  parcels.Create(folder + "/DZIALKI.edz");
  const int corners[10][2] = {{0, 0},   {0, 10}, {0, 20}, {10, 20}, {20, 20},
                              {20, 10}, {20, 0}, {10, 0}, {5, 0},   {0, 0}};
  std::string line;
  for (int record = 0; record < vertexLines / vertices; ++record) {
    const long double x = kNorth + (record % 190) * 21, y = kEast + (record / 190 % 190) * 21;
    parcels.WriteLine("  7." + std::to_string(1 + record / 1000 % 999) + "-" +
                      std::to_string(record + 1));
    line.clear();
    for (long double v : {x + 10, y + 10, x + 10, y + 10})
      textio::AppendFixed(line, v, 14, 2);
    parcels.WriteLine(line + " R");
    parcels.WriteLine(std::to_string(vertices));
    for (int v = 0; v < vertices; ++v) {
      const auto& c = corners[v == vertices - 1 ? 9 : v];
      line.assign(1, 'G');
      line += std::to_string(record) + "." + std::to_string(c[0] + c[1]);
      line.resize(20, ' ');
      for (long double v : {x + c[0], y + c[1], x + c[0], y + c[1]}) {
        textio::AppendFixed(line, v, 14, 2);
      }
      parcels.WriteLine(line);
    }
  }
  parcels.Close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "Użycie: make_bench_folder FOLDER [REKORDY [WIERSZE [PUNKTY]]]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int records = argc > 2 ? std::atoi(argv[2]) : 500000;
  const int vertexLines = argc > 3 ? std::atoi(argv[3]) : 1000000;
  const int adjustment = argc > 4 ? std::atoi(argv[4]) : 100;
  const int vertices = argc > 5 ? std::max(2, std::min(10, std::atoi(argv[5]))) : 10;
  AdjustmentPoints(folder, adjustment);
  Points(folder, records);
  Parcels(folder, vertexLines, vertices);
  return 0;
}
