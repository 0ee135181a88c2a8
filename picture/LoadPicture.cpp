// Gathering the picture of a run: from the fit the program holds, or, for a program that
// holds none, from the folder's TRANSPKT.BIN and Wykluczone.txt, computed as a run computes
// it and without writing a file. The map is read from the converted files, or from the
// inputs when none exists.
#include <QDate>
#include <cmath>

#include "convert/MapGeometry.h"
#include "convert/SectionedFile.h"
#include "core/Threads.h"
#include "core/WindowOperations.h"
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
class QuietWindow : public WindowOperations {
 public:
  std::string KindText() override { return {}; }
  std::string DegreeText() override { return {}; }
  void ShowStatus(std::string_view) override {}
  void ShowMessage(MessageKind, std::string_view) override {}
  void ShowPanel(int, PanelState) override {}
  void SetCounter(Counter, std::string_view) override {}
  std::string CounterText(Counter) override { return {}; }
  bool ConversionSwitch(MapFile) override { return false; }
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

// Outlines of a parcel or contour file: the boundary of every record, unreadable vertices
// left out.
void Outlines(const std::string& path, FitPictureData& data) {
  std::vector<ParcelShape> shapes;
  ReadParcelShapes(path, shapes);
  for (ParcelShape& shape : shapes) {
    if (shape.boundary.size() >= 2) data.outlines.push_back(std::move(shape.boundary));
  }
}

// Marks of the point file: the first pair of each record.
void Marks(const std::string& path, FitPictureData& data) {
  std::vector<PointShape> points;
  int unreadable = 0;
  ReadPointShapes(path, points, unreadable);
  for (const PointShape& p : points)
    data.marks.emplace_back(p.x, p.y);
}

void Map(const std::string& folder, FitPictureData& data) {
  const auto pick = [&](const char* converted, const char* input) {
    if (textio::FileExistsInFolder(folder, converted)) {
      data.mapConverted = true;
      return textio::PathInFolder(folder, converted);
    }
    return textio::FileExistsInFolder(folder, input) ? textio::PathInFolder(folder, input)
                                                     : std::string();
  };
  for (const auto& [converted, input] :
       {std::pair{"Dzialki.ed_", "Dzialki.edz"}, std::pair{"Kontury.ed_", "Kontury.edz"}}) {
    const std::string path = pick(converted, input);
    if (!path.empty()) Outlines(path, data);
  }
  const std::string points = pick("Punkty.ep_", "Punkty.ept");
  if (!points.empty()) Marks(points, data);
  for (const auto& [format, converted, input] :
       {std::tuple{&LayerFormat(), "Warstwy.tx_", "Warstwy.txt"},
        std::tuple{&ObjectFormat(), "OBIEKTY.tx_", "OBIEKTY.txt"}}) {
    const std::string path = pick(converted, input);
    if (!path.empty()) ReadSectionPositions(*format, path, data.marks);
  }
}

}  // namespace

void BuildFitPicture(const std::string& folder, const TransformationResult& result, bool withMap,
                     int threads, FitPictureData& data) {
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
  if (withMap) Map(folder, data);
}

bool LoadFitPicture(const std::string& folder, const ModelChoice& choice, bool withMap, int threads,
                    FitPictureData& data, QString& error) {
  data = FitPictureData{};
  data.folder = QString::fromStdString(folder);
  if (!textio::FileExistsInFolder(folder, "Protokol.tra") &&
      !textio::FileExistsInFolder(folder, "TRANSPKT.BIN")) {
    error = "Folder " + data.folder + " nie zawiera przebiegu (brak Protokol.tra i TRANSPKT.BIN)";
    data.explanation = "Brak przebiegu w tym folderze: naciśnij WYKONAJ";
    return false;
  }
  QuietWindow window;
  TransformationWork work;
  const auto result = ComputeTransformation(choice, ReadTransformationInput(folder, window),
                                            nullptr, {threads, 0, false, {}}, work);
  BuildFitPicture(folder, *result, withMap, threads, data);
  return true;
}
