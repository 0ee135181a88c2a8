// The one drawing routine of the picture. Map coordinates are geodetic: x grows north (up),
// y grows east (right). Residual and correction vectors share one magnification.
#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <optional>

#include "picture/FitPicture.h"
#include "textio/NumberForms.h"
#include "transform/ControlReport.h"

namespace {

using namespace picture_colours;

QString Fixed(long double value, int decimals) {
  return QString::fromStdString(textio::Fixed(value, 0, decimals));
}

// The 1-2-5 number at or below `value`.
double NiceBelow(double value) {
  if (!(value > 0)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {5.0, 2.0, 1.0}) {
    if (step * power <= value) return step * power;
  }
  return power;
}

void Arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour,
           Qt::PenStyle style = Qt::SolidLine) {
  p.setPen(QPen(colour, 1.4, style));
  p.drawLine(from, to);
  p.setPen(QPen(colour, 1.4));
  const QPointF along = to - from;
  const double length = std::hypot(along.x(), along.y());
  if (length < 3) return;
  const QPointF unit = along / length, side(-unit.y(), unit.x());
  const double head = std::min(6.0, length / 3);
  p.setBrush(colour);
  p.drawPolygon(
      QPolygonF({to, to - unit * head + side * head / 2, to - unit * head - side * head / 2}));
  p.setBrush(Qt::NoBrush);
}

QColor ShadingColour(double share);
long double LongestCorrection(const FitPictureData& d);
void PointMark(QPainter& p, const QPointF& s, const QColor& colour, bool hollow);

// Segments shorter than a pixel are merged, so large maps paint at the speed of the screen.
void Map(QPainter& p, const QRectF& area, const FitPictureData& d, const PictureView& v,
         int& outside) {
  p.setPen(QPen(kMap, 0.8));
  QPolygonF line;
  const QRectF visible = area.adjusted(-2, -2, 2, 2);
  for (const auto& outline : d.outlines) {
    line.clear();
    bool seen = false;
    for (const auto& [x, y] : outline) {
      const QPointF s = ToScreen(v, area, x, y);
      seen = seen || visible.contains(s);
      if (!line.isEmpty()) {
        const QPointF step = s - line.back();
        if (std::abs(step.x()) < 1 && std::abs(step.y()) < 1) continue;
      }
      line << s;
    }
    if (!seen) ++outside;
    if (line.size() >= 2) p.drawPolyline(line);
  }
  for (const auto& [x, y] : d.marks) {
    const QPointF s = ToScreen(v, area, x, y);
    if (!visible.contains(s)) {
      ++outside;
      continue;
    }
    p.drawRect(QRectF(s - QPointF(1.5, 1.5), QSizeF(3, 3)));
  }
}

void Corrections(QPainter& p, const QRectF& area, const FitPictureData& d, const PictureView& v,
                 double scale, bool shading) {
  const long double longest = LongestCorrection(d);
  for (const CorrectionArrow& c : d.corrections) {
    const QPointF s = ToScreen(v, area, c.x, c.y);
    if (shading && longest > 0) {
      const double share = static_cast<double>(std::hypot(c.dx, c.dy) / longest);
      p.fillRect(QRectF(s - QPointF(10, 10), QSizeF(20, 20)), ShadingColour(share));
    }
    Arrow(p, s, s + QPointF(static_cast<double>(c.dy) * scale, -static_cast<double>(c.dx) * scale),
          kCorrection);
  }
}

QColor PointColour(const PicturePoint& pt) {
  return pt.flagged ? kFlagged : pt.excluded ? kExcluded : kUsed;
}

void PointMark(QPainter& p, const QPointF& s, const QColor& colour, bool hollow) {
  p.setPen(QPen(colour, 1.5));
  p.setBrush(hollow ? QBrush(Qt::NoBrush) : QBrush(colour));
  p.drawEllipse(s, 4.0, 4.0);
  p.setBrush(Qt::NoBrush);
}

// A flagged point, then an excluded one, then the rest: the order labels are placed in.
int LabelRank(const PicturePoint& pt) {
  return pt.flagged ? 0 : pt.excluded ? 1 : 2;
}

// Labels go where they overlap no label written before, trying the four corners beside the
// point; flagged and excluded points come first and are always labelled, if need be over
// another label.
void Labels(QPainter& p, const QRectF& area, const FitPictureData& d, const PictureView& v) {
  std::vector<std::size_t> order(d.points.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return LabelRank(d.points[a]) < LabelRank(d.points[b]);
  });
  std::vector<QRectF> taken;
  const QFontMetricsF metrics(p.font());
  for (std::size_t i : order) {
    const PicturePoint& pt = d.points[i];
    const QPointF s = ToScreen(v, area, pt.x, pt.y);
    if (!area.contains(s)) continue;
    const QRectF box = metrics.boundingRect(pt.nr);
    const QPointF corners[] = {{6, -6},
                               {-6 - box.width(), -6},
                               {6, 6 + metrics.ascent()},
                               {-6 - box.width(), 6 + metrics.ascent()}};
    std::optional<QPointF> at;
    for (const QPointF& corner : corners) {
      const QRectF label = box.translated(s + corner);
      const bool free = std::none_of(taken.begin(), taken.end(),
                                     [&](const QRectF& r) { return r.intersects(label); });
      if (free) {
        at = s + corner;
        break;
      }
    }
    if (!at && LabelRank(pt) < 2) at = s + corners[0];
    if (!at) continue;
    taken.push_back(box.translated(*at));
    p.setPen(PointColour(pt).darker(130));
    p.drawText(*at, pt.nr);
  }
}

// Residuals of used points, control discrepancies (dashed) of excluded ones, the marks.
void Points(QPainter& p, const QRectF& area, const FitPictureData& d, const PictureView& v,
            double scale, int highlighted) {
  for (std::size_t i = 0; i < d.points.size(); ++i) {
    const PicturePoint& pt = d.points[i];
    const QPointF s = ToScreen(v, area, pt.x, pt.y);
    if (d.fitted && !pt.excluded) {
      Arrow(p, s,
            s + QPointF(static_cast<double>(pt.vy) * scale, -static_cast<double>(pt.vx) * scale),
            kResidual);
    } else if (d.fitted && pt.hasD) {
      Arrow(p, s,
            s + QPointF(static_cast<double>(pt.dy) * scale, -static_cast<double>(pt.dx) * scale),
            kControl, Qt::DashLine);
    }
    PointMark(p, s, PointColour(pt), pt.excluded);
    if (static_cast<int>(i) == highlighted) {
      p.setPen(QPen(Qt::black, 1.5));
      p.drawEllipse(s, 9.0, 9.0);
    }
  }
  Labels(p, area, d, v);
}

void NorthArrow(QPainter& p, const QRectF& area) {
  const QPointF base = area.topLeft() + QPointF(28, 62);
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(Qt::black);
  p.drawPolygon(
      QPolygonF({base + QPointF(0, -40), base + QPointF(-7, -18), base + QPointF(7, -18)}));
  p.drawLine(base + QPointF(0, -18), base);
  p.setBrush(Qt::NoBrush);
  p.drawText(QRectF(base.x() - 10, base.y() - 58, 20, 16), Qt::AlignCenter, "N");
}

void Corners(QPainter& p, const QRectF& area, const PictureView& v) {
  p.setPen(Qt::darkGray);
  const auto at = [&](double sx, double sy) {
    const long double x = v.centreX - (sy - area.center().y()) / v.pixelsPerMetre;
    const long double y = v.centreY + (sx - area.center().x()) / v.pixelsPerMetre;
    return "x=" + Fixed(x, 2) + "  y=" + Fixed(y, 2);
  };
  const QRectF inner = area.adjusted(4, 2, -4, -2);
  p.drawText(inner, Qt::AlignTop | Qt::AlignRight, at(area.right(), area.top()));
  p.drawText(inner, Qt::AlignBottom | Qt::AlignLeft, at(area.left(), area.bottom()));
}

void ScaleBars(QPainter& p, const QRectF& area, const PictureView& v, double magnification) {
  const double widthMetres = area.width() / v.pixelsPerMetre;
  const double mapMetres = NiceBelow(widthMetres / 5);
  const double vectorCm = NiceBelow(area.width() / 10 / (magnification * v.pixelsPerMetre) * 100);
  const QPointF start = area.bottomLeft() + QPointF(12, -34);
  auto bar = [&](const QPointF& from, double pixels, const QString& text, const QColor& colour) {
    p.setPen(QPen(colour, 2));
    p.drawLine(from, from + QPointF(pixels, 0));
    p.drawLine(from + QPointF(0, -4), from + QPointF(0, 4));
    p.drawLine(from + QPointF(pixels, -4), from + QPointF(pixels, 4));
    p.drawText(from + QPointF(pixels + 6, 4), text);
  };
  bar(start, mapMetres * v.pixelsPerMetre, QString::number(mapMetres) + " m", Qt::black);
  bar(start + QPointF(0, -18), vectorCm / 100 * magnification * v.pixelsPerMetre,
      QString::number(vectorCm) + " cm (wektory)", kResidual);
}

QColor ShadingColour(double share) {
  return QColor::fromHsvF(0.33 * (1 - share), 0.6, 1.0, 0.35);
}

long double LongestCorrection(const FitPictureData& d) {
  long double longest = 0;
  for (const CorrectionArrow& c : d.corrections)
    longest = std::max(longest, std::hypot(c.dx, c.dy));
  return longest;
}

// The title block's lines, top of the margin; returns the height used.
double TitleBlock(QPainter& p, const QRectF& margin, const FitPictureData& d, double magnification,
                  int outside) {
  QStringList lines = {"Folder: " + d.folder};
  if (d.kind > 0) {
    lines << "Model: " + QString::fromStdString(ModelName(d.kind, d.degree));
  }
  if (d.fitted) {
    lines << QString("Punkty użyte: %1;  m0 = %2 m").arg(d.pointsUsed).arg(Fixed(d.m0, 4));
    lines << "Odchyłka maks.: " + Fixed(d.maxResidual, 4) + " m (" + d.maxResidualPoint + ")";
    lines << "Powiększenie wektorów: x" + QString::number(magnification);
  }
  if (!d.explanation.isEmpty()) lines << d.explanation;
  if (outside > 0) lines << QString("Elementów mapy poza widokiem: %1").arg(outside);
  lines << "Data: " + d.date;
  const QFontMetricsF metrics(p.font());
  QFont bold = p.font();
  bold.setBold(true);
  p.save();
  p.setFont(bold);
  p.setPen(Qt::black);
  double y = margin.top() + metrics.ascent();
  p.drawText(QPointF(margin.left(), y), "ZORNAK_edz - mapa odchyłek");
  p.restore();
  y += metrics.lineSpacing() * 1.5;
  const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
  for (const QString& line : lines) {
    const QRectF room(margin.left(), y - metrics.ascent(), margin.width(), margin.height());
    const QRectF used = metrics.boundingRect(room, flags, line);
    p.setPen(line == d.explanation ? kFlagged : QColor(Qt::black));
    p.drawText(room, flags, line);
    y += used.height();
  }
  return y - margin.top();
}

// What each mark, arrow and shade means, below the title block.
void Legend(QPainter& p, const QRectF& margin, const FitPictureData& d, bool shading) {
  const QFontMetricsF metrics(p.font());
  const double row = std::max(18.0, metrics.lineSpacing() + 4);
  double y = margin.top() + row / 2;
  p.setPen(Qt::black);
  p.drawText(QPointF(margin.left(), y + metrics.ascent() / 2), "Legenda");
  y += row;
  const double x = margin.left() + 12, textX = margin.left() + 40;
  auto text = [&](const QString& line) {
    p.setPen(Qt::black);
    p.drawText(QPointF(textX, y + metrics.ascent() / 2 - 1), line);
    y += row;
  };
  PointMark(p, QPointF(x, y), kUsed, false);
  text("punkt dostosowania");
  PointMark(p, QPointF(x, y), kFlagged, false);
  text("punkt podejrzany (T > F_kr)");
  PointMark(p, QPointF(x, y), kExcluded, true);
  text("punkt wyłączony (kontrolny)");
  Arrow(p, QPointF(x - 10, y), QPointF(x + 14, y), kResidual);
  text("odchyłka v punktu");
  Arrow(p, QPointF(x - 10, y), QPointF(x + 14, y), kCorrection);
  text("korekta Hausbrandta");
  Arrow(p, QPointF(x - 10, y), QPointF(x + 14, y), kControl, Qt::DashLine);
  text("kontrola punktu wyłączonego");
  const long double longest = LongestCorrection(d);
  if (!shading || !(longest > 0)) return;
  p.setPen(Qt::black);
  p.drawText(QPointF(margin.left(), y + metrics.ascent() / 2), "Długość korekty (cieniowanie)");
  y += row * 0.8;
  const QRectF bar(margin.left(), y, std::min(margin.width() - 10, 200.0), 12);
  QLinearGradient gradient(bar.topLeft(), bar.topRight());
  for (double share : {0.0, 0.5, 1.0})
    gradient.setColorAt(share, ShadingColour(share));
  p.fillRect(bar, gradient);
  p.setPen(Qt::black);
  p.drawRect(bar);
  const double mid = static_cast<double>(longest) * 50;  // half the longest, in cm
  p.drawText(QPointF(bar.left(), bar.bottom() + metrics.ascent() + 2), "0 cm");
  const QString middle = QString::number(mid, 'f', 1) + " cm";
  p.drawText(QPointF(bar.center().x() - metrics.horizontalAdvance(middle) / 2,
                     bar.bottom() + metrics.ascent() + 2),
             middle);
  const QString end = QString::number(static_cast<double>(longest) * 100, 'f', 1) + " cm";
  p.drawText(
      QPointF(bar.right() - metrics.horizontalAdvance(end), bar.bottom() + metrics.ascent() + 2),
      end);
}

}  // namespace

QPointF ToScreen(const PictureView& v, const QRectF& area, long double x, long double y) {
  return {area.center().x() + static_cast<double>((y - v.centreY) * v.pixelsPerMetre),
          area.center().y() - static_cast<double>((x - v.centreX) * v.pixelsPerMetre)};
}

QRectF DataArea(const QRectF& area) {
  // Upright (a portrait page) the margin is below the data, else on its right: 300 pixels
  // hold the legend's longest line; a small picture gives a third of its size.
  if (area.height() > area.width())
    return area.adjusted(0, 0, 0, -std::min(300.0, area.height() / 3));
  const double margin = area.width() >= 900 ? 300 : area.width() / 3;
  return area.adjusted(0, 0, -margin, 0);
}

PictureView FitView(const FitPictureData& d, const QSizeF& whole) {
  const QSizeF size = DataArea(QRectF(QPointF(0, 0), whole)).size();
  std::vector<std::pair<long double, long double>> extent;
  for (const PicturePoint& p : d.points)
    extent.emplace_back(p.x, p.y);
  if (extent.empty()) {
    for (const auto& outline : d.outlines)
      extent.insert(extent.end(), outline.begin(), outline.end());
    extent.insert(extent.end(), d.marks.begin(), d.marks.end());
  }
  PictureView v;
  if (extent.empty()) return v;
  long double x0 = extent[0].first, x1 = x0, y0 = extent[0].second, y1 = y0;
  for (const auto& [x, y] : extent) {
    x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
  v.centreX = (x0 + x1) / 2;
  v.centreY = (y0 + y1) / 2;
  const double spanX = std::max(static_cast<double>(x1 - x0), 1.0);
  const double spanY = std::max(static_cast<double>(y1 - y0), 1.0);
  v.pixelsPerMetre = 0.8 * std::min(size.height() / spanX, size.width() / spanY);
  return v;
}

double VectorMagnification(const FitPictureData& d, double widthMetres) {
  long double longest = 0;
  for (const PicturePoint& p : d.points) {
    if (!p.excluded) longest = std::max(longest, std::hypot(p.vx, p.vy));
  }
  if (!(longest > 0)) return 1;
  return NiceBelow(widthMetres / 8 / static_cast<double>(longest));
}

void DrawFitPicture(QPainter& p, const QRectF& whole, const FitPictureData& d, const PictureView& v,
                    const PictureOptions& options) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(whole, Qt::white);
  const QRectF area = DataArea(whole);
  const double magnification = VectorMagnification(d, area.width() / v.pixelsPerMetre);
  const double scale = magnification * v.pixelsPerMetre;  // pixels per metre of a vector
  int outside = 0;
  p.save();
  p.setClipRect(area);
  Map(p, area, d, v, outside);
  Corrections(p, area, d, v, scale, options.shading);
  Points(p, area, d, v, scale, options.highlighted);
  // Without a point or a map there is no place to speak of: no corners, no scale, only the
  // title block's word why.
  if (!d.points.empty() || !d.outlines.empty() || !d.marks.empty()) {
    NorthArrow(p, area);
    Corners(p, area, v);
    ScaleBars(p, area, v, magnification);
  }
  p.restore();
  if (area.height() < whole.height()) {
    // Below the data: the title block on the left half, the legend on the right.
    const QRectF margin(whole.left() + 10, area.bottom() + 12, whole.width() - 20,
                        whole.bottom() - area.bottom() - 20);
    TitleBlock(p, margin.adjusted(0, 0, -margin.width() / 2 - 10, 0), d, magnification, outside);
    Legend(p, margin.adjusted(margin.width() / 2, 0, 0, 0), d, options.shading);
  } else {
    const QRectF margin(area.right() + 12, whole.top() + 10, whole.right() - area.right() - 20,
                        whole.height() - 20);
    const double title = TitleBlock(p, margin, d, magnification, outside);
    Legend(p, margin.adjusted(0, title + 10, 0, 0), d, options.shading);
  }
  p.setPen(Qt::black);
  p.drawRect(area.adjusted(0, 0, -1, -1));
  p.drawRect(whole.adjusted(0, 0, -1, -1));
  p.restore();
}
