#include "transform/CorrectionTin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "core/Threads.h"
#include "core/Version.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "textio/TextFile.h"
#include "transform/ProjPipeline.h"
#include "transform/TransformPoint.h"

namespace {

using Position = std::pair<long double, long double>;

constexpr int kRootCells = 16;            // squares along each side of the map at the start
constexpr int kDeepest = 24;              // halvings of a root square at most
constexpr long double kSmallest = 0.01L;  // m: no square is made smaller

struct Correction {
  long double dx = 0, dy = 0;
};

class TinBuilder {
 public:
  TinBuilder(const TFittedTransformation& f, long double tolerance, CorrectionTin& tin)
      : f_(f), tolerance_(tolerance), tin_(tin) {}

  // The squares over `points` (primary), with each point's true correction.
  void Build(const std::vector<Position>& points, const std::vector<Correction>& truth) {
    points_ = &points;
    truth_ = &truth;
    long double xmin = points[0].first, xmax = xmin, ymin = points[0].second, ymax = ymin;
    for (const auto& [x, y] : points) {
      xmin = std::min(xmin, x), xmax = std::max(xmax, x);
      ymin = std::min(ymin, y), ymax = std::max(ymax, y);
    }
    x0_ = xmin - 1, y0_ = ymin - 1;
    side_ = std::max(xmax - xmin, ymax - ymin) + 2;
    unit_ = side_ / kRootCells / (1L << kDeepest);
    std::vector<std::vector<std::int32_t>> cells(kRootCells * kRootCells);
    for (std::size_t i = 0; i < points.size(); ++i) {
      const int cx =
          std::min(kRootCells - 1, static_cast<int>((points[i].first - x0_) / side_ * kRootCells));
      const int cy =
          std::min(kRootCells - 1, static_cast<int>((points[i].second - y0_) / side_ * kRootCells));
      cells[cy * kRootCells + cx].push_back(static_cast<std::int32_t>(i));
    }
    const std::int64_t step = std::int64_t{1} << kDeepest;
    for (int cy = 0; cy < kRootCells; ++cy) {
      for (int cx = 0; cx < kRootCells; ++cx) {
        // Every square of the map's box, so that any point of it has a triangle.
        Square(cx * step, cy * step, step, cells[cy * kRootCells + cx]);
      }
    }
  }

 private:
  long double X(std::int64_t i) const { return x0_ + i * unit_; }
  long double Y(std::int64_t j) const { return y0_ + j * unit_; }

  // The vertex at lattice (i, j), made on first use.
  std::int32_t Vertex(std::int64_t i, std::int64_t j) {
    const std::uint64_t key = (static_cast<std::uint64_t>(i) << 32) | static_cast<std::uint64_t>(j);
    const auto [it, made] =
        index_.try_emplace(key, static_cast<std::int32_t>(tin_.vertices.size()));
    if (made) {
      TransformedPoint t;
      TransformPoint(f_, X(i), Y(j), t);
      tin_.vertices.push_back({t.X, t.Y, t.Xk, t.Yk});
    }
    return it->second;
  }

  Correction At(std::int32_t v) const {
    const CorrectionTin::Vertex& p = tin_.vertices[v];
    return {p.Xk - p.X, p.Yk - p.Y};
  }

  // The interpolated correction at (x, y) of the square's triangle holding it: the square
  // (i, j, size) is split along its diagonal from (i, j) to (i + size, j + size).
  Correction Interpolated(const std::array<std::int32_t, 4>& corner, long double u,
                          long double v) const {
    // u, v in [0, 1] across the square; corners 00, 10, 11, 01.
    const Correction c00 = At(corner[0]), c10 = At(corner[1]), c11 = At(corner[2]),
                     c01 = At(corner[3]);
    if (u >= v) {  // triangle 00, 10, 11
      return {c00.dx + u * (c10.dx - c00.dx) + v * (c11.dx - c10.dx),
              c00.dy + u * (c10.dy - c00.dy) + v * (c11.dy - c10.dy)};
    }
    return {c00.dx + v * (c01.dx - c00.dx) + u * (c11.dx - c01.dx),
            c00.dy + v * (c01.dy - c00.dy) + u * (c11.dy - c01.dy)};
  }

  static long double Distance(const Correction& a, const Correction& b) {
    return std::hypot(a.dx - b.dx, a.dy - b.dy);
  }

  // The largest difference in the square, over its points and its triangles' centres.
  long double Worst(std::int64_t i, std::int64_t j, std::int64_t size,
                    const std::array<std::int32_t, 4>& corner,
                    const std::vector<std::int32_t>& in) {
    const long double length = size * unit_;
    long double worst = 0;
    for (std::int32_t k : in) {
      const Position& p = (*points_)[k];
      const long double u = (p.first - X(i)) / length, v = (p.second - Y(j)) / length;
      worst = std::max(worst, Distance(Interpolated(corner, u, v), (*truth_)[k]));
    }
    for (const auto& [u, v] : {std::pair{2.0L / 3, 1.0L / 3}, {1.0L / 3, 2.0L / 3}}) {
      TransformedPoint t;
      TransformPoint(f_, X(i) + u * length, Y(j) + v * length, t);
      worst = std::max(worst, Distance(Interpolated(corner, u, v), {t.dx, t.dy}));
    }
    return worst;
  }

  void Square(std::int64_t i, std::int64_t j, std::int64_t size, std::vector<std::int32_t>& in) {
    const std::array<std::int32_t, 4> corner = {Vertex(i, j), Vertex(i + size, j),
                                                Vertex(i + size, j + size), Vertex(i, j + size)};
    const long double worst = Worst(i, j, size, corner, in);
    if (worst <= tolerance_ || size == 1 || size * unit_ / 2 < kSmallest) {
      tin_.triangles.push_back({corner[0], corner[1], corner[2]});
      tin_.triangles.push_back({corner[0], corner[2], corner[3]});
      tin_.largestDifference = std::max(tin_.largestDifference, worst);
      return;
    }
    const std::int64_t half = size / 2;
    std::array<std::vector<std::int32_t>, 4> quarter;
    const long double midX = X(i + half), midY = Y(j + half);
    for (std::int32_t k : in) {
      const Position& p = (*points_)[k];
      quarter[(p.first >= midX ? 1 : 0) + (p.second >= midY ? 2 : 0)].push_back(k);
    }
    in.clear();
    in.shrink_to_fit();
    // Every quarter is triangulated, a quarter without points too: the square stays covered.
    for (int q = 0; q < 4; ++q)
      Square(i + (q & 1) * half, j + (q >> 1) * half, half, quarter[q]);
  }

  const TFittedTransformation& f_;
  long double tolerance_;
  CorrectionTin& tin_;
  const std::vector<Position>* points_ = nullptr;
  const std::vector<Correction>* truth_ = nullptr;
  long double x0_ = 0, y0_ = 0, side_ = 0, unit_ = 0;
  std::unordered_map<std::uint64_t, std::int32_t> index_;
};

std::string Coordinate(long double v) {
  return textio::Fixed(v, 0, 6);
}

}  // namespace

CorrectionTin BuildCorrectionTin(const TFittedTransformation& f,
                                 const std::vector<Position>& positions, long double tolerance,
                                 int threads) {
  CorrectionTin tin;
  tin.tolerance = tolerance;
  std::vector<Position> points = positions;
  for (std::int32_t k = 1; k <= f.ls; ++k)
    points.emplace_back(f.model.x(k), f.model.y(k));
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  tin.positions = static_cast<std::int64_t>(points.size());
  if (points.empty() || !f.Usable()) return tin;
  std::vector<Correction> truth(points.size());
  ParallelFor(points.size(), ThreadsFor(threads), 256, [&](std::size_t begin, std::size_t end) {
    TransformedPoint t;
    for (std::size_t k = begin; k < end; ++k) {
      TransformPoint(f, points[k].first, points[k].second, t);
      truth[k] = {t.dx, t.dy};
    }
  });
  TinBuilder(f, tolerance, tin).Build(points, truth);
  return tin;
}

bool WriteCorrectionTin(const std::string& folder, const trk::FittedModel& model,
                        const CorrectionTin& tin, std::string& failure) {
  textio::TextFileWriter json;
  json.Create(textio::PathInFolder(folder, kCorrectionTinFileName));
  json.WriteLine("{");
  json.WriteLine("  \"file_type\": \"triangulation_file\",");
  json.WriteLine("  \"format_version\": \"1.0\",");
  json.WriteLine("  \"name\": \"ZORNAK_edz: korekta Hausbrandta\",");
  json.WriteLine(std::string("  \"version\": \"") + kZornakVersion + "\",");
  std::string description =
      "  \"description\": \"Hausbrandt correction after the horner step of "
      "Transformacja.proj; x northing, y easting; interpolation within ";
  textio::AppendFixed(description, tin.tolerance, 0, 3);
  json.WriteLine(description + " m of the correction at every map vertex\",");
  json.WriteLine("  \"transformed_components\": [\"horizontal\"],");
  json.WriteLine(
      "  \"vertices_columns\": [\"source_x\", \"source_y\", \"target_x\", \"target_y\"],");
  json.WriteLine("  \"triangles_columns\": [\"idx_vertex1\", \"idx_vertex2\", \"idx_vertex3\"],");
  json.WriteLine("  \"vertices\": [");
  for (std::size_t k = 0; k < tin.vertices.size(); ++k) {
    const CorrectionTin::Vertex& v = tin.vertices[k];
    json.WriteLine("    [" + Coordinate(v.X) + ", " + Coordinate(v.Y) + ", " + Coordinate(v.Xk) +
                   ", " + Coordinate(v.Yk) + (k + 1 < tin.vertices.size() ? "]," : "]"));
  }
  json.WriteLine("  ],");
  json.WriteLine("  \"triangles\": [");
  for (std::size_t k = 0; k < tin.triangles.size(); ++k) {
    const auto& t = tin.triangles[k];
    json.WriteLine("    [" + std::to_string(t[0]) + ", " + std::to_string(t[1]) + ", " +
                   std::to_string(t[2]) + (k + 1 < tin.triangles.size() ? "]," : "]"));
  }
  json.WriteLine("  ]");
  json.WriteLine("}");
  if (!json.Close()) {
    failure = json.FailureText();
    return false;
  }
  textio::TextFileWriter pipeline;
  pipeline.Create(textio::PathInFolder(folder, kFullPipelineFileName));
  const auto comment = [&](const std::string& utf8) { pipeline.WriteUtf8Line("# " + utf8); };
  comment(std::string("ZORNAK_edz ") + kZornakVersion +
          " - cała korekta jako potok PROJ: model (horner) i korekta Hausbrandta (tinshift)");
  std::string accuracy = "Korekta.json: wierzchołków " + std::to_string(tin.vertices.size()) +
                         ", trójkątów " + std::to_string(tin.triangles.size()) +
                         "; największa różnica od wyniku przebiegu ";
  textio::AppendFixed(accuracy, tin.largestDifference, 0, 4);
  comment(accuracy + " m");
  comment("Kolejność osi: x (północna), potem y (wschodnia), w metrach, jak w plikach mapy.");
  comment("Plik Korekta.json musi leżeć w bieżącym folderze albo w folderze danych PROJ.");
  comment("Użycie: cct -d 4 -z 0 -t 0 $(grep -v '^#' Transformacja_pelna.proj | tr -d '\\r') PLIK");
  pipeline.WriteLine(ProjPipeline(model) + " +step +proj=tinshift +file=" + kCorrectionTinFileName);
  if (pipeline.Close()) return true;
  failure = pipeline.FailureText();
  return false;
}
