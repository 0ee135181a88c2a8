#include "bench/CountyGenerator.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

#include "textio/NumberForms.h"
#include "textio/Platform.h"
#include "textio/TextFile.h"

namespace {

constexpr long double kNorth = 5560000, kEast = 7450000;

long double Side(const CountyShape& s) {
  return s.parcelsPerSide * s.parcelSide;
}

// The secondary system: a shift, a small rotation and scale, and a bend of a few decimetres
// over the county, which a fit of one precinct takes up differently from its neighbour's.
std::pair<long double, long double> Secondary(long double x, long double y) {
  const long double u = (x - kNorth) / 1000, v = (y - kEast) / 1000;
  return {x + 0.35L + 2e-5L * (y - kEast) + 0.02L * u * v + 0.015L * v * v,
          y - 0.25L - 2e-5L * (x - kNorth) + 0.01L * u * u - 0.02L * u * v};
}

// The corner of parcel (i, j) of precinct (row, column), i along x.
std::pair<long double, long double> Corner(const CountyShape& s, int row, int column, int i,
                                           int j) {
  return {kNorth + row * Side(s) + i * s.parcelSide, kEast + column * Side(s) + j * s.parcelSide};
}

void AppendPairs(std::string& line, long double x, long double y) {
  for (long double v : {x, y, x, y})
    textio::AppendFixed(line, v, 14, 2);
}

}  // namespace

std::string PrecinctName(int row, int column) {
  char name[32];
  std::snprintf(name, sizeof name, "obreb_%02d_%02d", row + 1, column + 1);
  return name;
}

TPktDostosowania PrecinctAdjustmentPoints(const CountyShape& s, int row, int column) {
  std::mt19937 random(static_cast<unsigned>(1000 * row + column + 1));
  std::uniform_real_distribution<long double> inside(0.05L * Side(s), 0.95L * Side(s));
  std::normal_distribution<long double> noise(0, s.noise);
  TPktDostosowania points;
  auto add = [&](const std::string& nr, long double x, long double y, bool noisy) {
    const auto [x2, y2] = Secondary(x, y);
    points.push_back(
        {nr, x, y, x2 + (noisy ? noise(random) : 0), y2 + (noisy ? noise(random) : 0)});
  };
  for (int k = 1; k <= s.adjustmentPoints; ++k) {
    const auto [x0, y0] = Corner(s, row, column, 0, 0);
    std::string nr = PrecinctName(row, column);
    nr += '.';
    nr += std::to_string(k);
    add(nr, x0 + inside(random), y0 + inside(random), true);
  }
  if (s.sharedCornerPoints) {
    // A corner shared by up to four precincts has one number and one pair of coordinates.
    for (int di = 0; di <= 1; ++di) {
      for (int dj = 0; dj <= 1; ++dj) {
        const auto [x, y] = Corner(s, row + di, column + dj, 0, 0);
        std::string nr(1, 'R');
        nr += std::to_string(row + di);
        nr += '_';
        nr += std::to_string(column + dj);
        add(nr, x, y, false);
      }
    }
  }
  return points;
}

std::vector<std::pair<long double, long double>> PrecinctPositions(const CountyShape& s, int row,
                                                                   int column) {
  std::vector<std::pair<long double, long double>> positions;
  const int n = s.parcelsPerSide;
  positions.reserve(static_cast<std::size_t>(n) * n * 12);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const auto [x, y] = Corner(s, row, column, i, j);
      const long double h = s.parcelSide / 2;
      for (int k = 0; k < 2; ++k)
        positions.emplace_back(x + h, y + h);
      for (const auto& [di, dj] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}) {
        const auto c = Corner(s, row, column, i + di, j + dj);
        positions.push_back(c);
        positions.push_back(c);
      }
    }
  }
  return positions;
}

std::vector<std::string> WriteCounty(const std::string& root, const CountyShape& s) {
  std::vector<std::string> folders;
  for (int row = 0; row < s.rows; ++row) {
    for (int column = 0; column < s.columns; ++column) {
      const std::string folder = root + "/" + PrecinctName(row, column);
      std::filesystem::create_directories(textio::PathFromUtf8(folder));
      WriteTransPktBIN(folder + "/TRANSPKT.BIN", "powiat", 0, 0,
                       PrecinctAdjustmentPoints(s, row, column));
      const auto positions = PrecinctPositions(s, row, column);
      textio::TextFileWriter parcels;
      parcels.Create(folder + "/DZIALKI.edz");
      const int precinct = row * s.columns + column + 1;
      std::string line;
      for (std::size_t p = 0, record = 1; p < positions.size(); p += 12, ++record) {
        line.assign("  3.");
        line += std::to_string(precinct);
        line += '-';
        line += std::to_string(record);
        parcels.WriteLine(line);
        line.clear();
        AppendPairs(line, positions[p].first, positions[p].second);
        parcels.WriteLine(line + " R");
        parcels.WriteLine("5");
        for (int v = 0; v < 5; ++v) {
          line.assign(1, 'G');
          line += std::to_string(record);
          line += '.';
          line += std::to_string(v + 1);
          line.resize(20, ' ');
          AppendPairs(line, positions[p + 2 + 2 * v].first, positions[p + 2 + 2 * v].second);
          parcels.WriteLine(line);
        }
      }
      parcels.Close();
      folders.push_back(folder);
    }
  }
  return folders;
}
