// Gathering the picture of a run: from the fit the program holds, or, for a program that
// holds none, from the folder's TRANSPKT.BIN and Wykluczone.txt, computed as a run computes
// it and without writing a file. The map comes with the run's result; a program without a
// run reads it from the folder's converted files, or its inputs where none exists.
#include <QDate>
#include <cmath>
#include <optional>

#include "convert/MapDrawing.h"
#include "core/RunEvents.h"
#include "core/Threads.h"
#include "picture/FitPicture.h"
#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/Platform.h"
#include "transform/Exclusions.h"
#include "transform/RunTransformation.h"
#include "transform/TransformPoint.h"

namespace {

// The picture reads the folder and writes nothing: the read failure of TRANSPKT.BIN is told
// by the picture's explanation, not by a box.
class QuietEvents : public RunEvents {
 public:
  void ShowStatus(std::string_view) override {}
  void ShowMessage(MessageKind, std::string_view) override {}
  void ShowPanel(int, PanelState) override {}
  void SetCounter(Counter, std::string_view) override {}
};

// Why the picture shows no usable fit; empty when it does.
QString Explanation(const TransformationResult& result) {
  return QString::fromStdString(NoTransformationReason(result));
}

void Points(const TransformationResult& result, FitPictureData& data) {
  for (const AdjustmentCheck& c : result.checks) {
    PicturePoint p;
    p.nr = QString::fromStdString(ShownNumber(c.nr));
    p.x = c.x2;
    p.y = c.y2;
    p.vx = c.vx;
    p.vy = c.vy;
    p.d = c.d;
    p.dx = c.dx;
    p.dy = c.dy;
    p.hasD = c.predictable;
    p.m0i = c.m0i;
    p.excluded = c.excluded;
    p.flagged = c.flagged;
    data.points.push_back(p);
  }
}

// Without a fit the points read are still shown, at their secondary coordinates.
void PointsRead(const TFittedTransformation& f, FitPictureData& data) {
  for (std::int32_t k = 1; k <= f.ls; ++k) {
    PicturePoint p;
    p.nr = QString::fromStdString(ShownNumber(f.Nr[k]));
    p.x = f.model.x2(k);
    p.y = f.model.y2(k);
    data.points.push_back(p);
  }
}

// Andrew's monotone chain: the convex hull of the used points, counter-clockwise.
std::vector<std::pair<long double, long double>> Hull(
    std::vector<std::pair<long double, long double>> p) {
  std::sort(p.begin(), p.end());
  if (p.size() < 3) return p;
  auto cross = [](const auto& o, const auto& a, const auto& b) {
    return (a.first - o.first) * (b.second - o.second) -
           (a.second - o.second) * (b.first - o.first);
  };
  std::vector<std::pair<long double, long double>> h(2 * p.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0)
      --k;
    h[k++] = p[i];
  }
  for (std::size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0)
      --k;
    h[k++] = p[i - 1];
  }
  h.resize(k - 1);
  return h;
}

bool Inside(const std::vector<std::pair<long double, long double>>& hull, long double x,
            long double y) {
  if (hull.size() < 3) return false;
  for (std::size_t i = 0; i < hull.size(); ++i) {
    const auto& a = hull[i];
    const auto& b = hull[(i + 1) % hull.size()];
    if ((b.first - a.first) * (y - a.second) - (b.second - a.second) * (x - a.first) < 0)
      return false;
  }
  return true;
}

// The correction on a 16 x 16 grid over the hull of the used points (primary coordinates),
// drawn where the run puts each node.
void Corrections(const TFittedTransformation& f, int threads, FitPictureData& data) {
  std::vector<std::pair<long double, long double>> used;
  for (std::int32_t k = 1; k <= f.ls; ++k)
    used.emplace_back(f.model.x(k), f.model.y(k));
  const auto hull = Hull(used);
  if (hull.size() < 3) return;
  long double x0 = hull[0].first, x1 = x0, y0 = hull[0].second, y1 = y0;
  for (const auto& [x, y] : hull) {
    x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
  constexpr int kNodes = 16;
  std::vector<std::pair<long double, long double>> nodes;
  for (int i = 0; i <= kNodes; ++i) {
    for (int j = 0; j <= kNodes; ++j) {
      const long double x = x0 + (x1 - x0) * i / kNodes, y = y0 + (y1 - y0) * j / kNodes;
      if (Inside(hull, x, y)) nodes.emplace_back(x, y);
    }
  }
  // Each node costs a correction over every used point: the nodes share the cores.
  const std::size_t first = data.corrections.size();
  data.corrections.resize(first + nodes.size());
  ParallelFor(nodes.size(), ThreadsFor(threads), 8, [&](std::size_t begin, std::size_t end) {
    TransformedPoint t;
    for (std::size_t k = begin; k < end; ++k) {
      TransformPoint(f, nodes[k].first, nodes[k].second, t);
      data.corrections[first + k] = {t.Xk, t.Yk, t.dx, t.dy};
    }
  });
}

void Map(const MapDrawing& map, FitPictureData& data) {
  data.outlines = map.outlines;
  data.marks = map.marks;
  data.mapConverted = map.converted;
}

}  // namespace

void BuildFitPicture(const std::string& folder, const TransformationResult& result,
                     const MapDrawing* map, int threads, FitPictureData& data) {
  const QString explanation = data.explanation;
  data = FitPictureData{};
  data.folder = QString::fromStdString(folder);
  data.date = QDate::currentDate().toString(Qt::ISODate);
  data.kind = result.choice.TransformKind;
  data.degree = result.choice.TransformDegree;
  const TFittedTransformation& f = result.FittedTransformation;
  // A partly read file outweighs any explanation of the caller; otherwise the caller's stands.
  data.explanation =
      explanation.isEmpty() || (f.fitted && f.readFailed) ? Explanation(result) : explanation;
  data.fitted = f.fitted;
  if (f.fitted) {
    data.pointsUsed = f.ls;
    data.m0 = f.figures.m0;
    data.maxResidual = f.figures.maxResidual;
    data.maxResidualPoint = QString::fromStdString(ShownNumber(f.figures.maxResidualPoint));
    Points(result, data);
    Corrections(f, threads, data);
  } else {
    PointsRead(f, data);
  }
  if (map) Map(*map, data);
}

bool LoadFitPicture(const std::string& folder, const ModelChoice& choice, bool withMap, int threads,
                    FitPictureData& data, QString& error) {
  data = FitPictureData{};
  data.folder = QString::fromStdString(folder);
  if (!textio::FileExistsInFolder(folder, SlotFileName(slot::kReport)) &&
      !textio::FileExistsInFolder(folder, kAdjustmentPointsFileName)) {
    error = "Folder " + data.folder + " nie zawiera przebiegu (brak Protokol.tra i TRANSPKT.BIN)";
    data.explanation = "Brak przebiegu w tym folderze: naciśnij WYKONAJ";
    return false;
  }
  QuietEvents events;
  TransformationWork work;
  const auto result = ComputeTransformation(choice, ReadTransformationInput(folder, events),
                                            nullptr, {threads, 0, false, {}}, work);
  std::optional<MapDrawing> map;
  if (withMap) {
    WorkingFileTable files;
    files.WorkingFolder = folder;
    files.BuildWorkingFiles();
    map = ReadMapDrawingOfFolder(files);
  }
  BuildFitPicture(folder, *result, map ? &*map : nullptr, threads, data);
  return true;
}
