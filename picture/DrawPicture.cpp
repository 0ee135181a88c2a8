// The one drawing routine of the picture. Map coordinates are geodetic: x grows north (up),
// y grows east (right). Residual and correction vectors share one magnification.
#include <QFontMetricsF>
#include <QPainterPath>
#include <cmath>

#include "picture/FitPicture.h"
#include "textio/NumberForms.h"

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

void Arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour) {
  p.setPen(QPen(colour, 1.4));
  p.drawLine(from, to);
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
  long double longest = 0;
  for (const CorrectionArrow& c : d.corrections)
    longest = std::max(longest, std::hypot(c.dx, c.dy));
  for (const CorrectionArrow& c : d.corrections) {
    const QPointF s = ToScreen(v, area, c.x, c.y);
    if (shading && longest > 0) {
      const double share = static_cast<double>(std::hypot(c.dx, c.dy) / longest);
      p.fillRect(QRectF(s - QPointF(10, 10), QSizeF(20, 20)),
                 QColor::fromHsvF(0.33 * (1 - share), 0.6, 1.0, 0.35));
    }
    Arrow(p, s, s + QPointF(static_cast<double>(c.dy) * scale, -static_cast<double>(c.dx) * scale),
          kCorrection);
  }
}

// Labels are written only where they do not overlap one written before.
void Points(QPainter& p, const QRectF& area, const FitPictureData& d, const PictureView& v,
            double scale, int highlighted) {
  std::vector<QRectF> taken;
  const QFontMetricsF metrics(p.font());
  for (std::size_t i = 0; i < d.points.size(); ++i) {
    const PicturePoint& pt = d.points[i];
    const QPointF s = ToScreen(v, area, pt.x, pt.y);
    if (!pt.excluded && d.fitted) {
      Arrow(p, s,
            s + QPointF(static_cast<double>(pt.vy) * scale, -static_cast<double>(pt.vx) * scale),
            kResidual);
    }
    const QColor colour = pt.flagged ? kFlagged : pt.excluded ? kExcluded : kUsed;
    p.setPen(QPen(colour, 1.5));
    p.setBrush(pt.excluded ? QBrush(Qt::NoBrush) : QBrush(colour));
    p.drawEllipse(s, 4.0, 4.0);
    p.setBrush(Qt::NoBrush);
    if (static_cast<int>(i) == highlighted) {
      p.setPen(QPen(Qt::black, 1.5));
      p.drawEllipse(s, 9.0, 9.0);
    }
    const QRectF label = metrics.boundingRect(pt.nr).translated(s + QPointF(6, -6));
    bool free = true;
    for (const QRectF& r : taken)
      free = free && !r.intersects(label);
    if (!free) continue;
    taken.push_back(label);
    p.setPen(colour.darker(130));
    p.drawText(s + QPointF(6, -6), pt.nr);
  }
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

void TitleBlock(QPainter& p, const QRectF& area, const FitPictureData& d, double magnification,
                int outside) {
  QStringList lines = {"ZORNAK_edz - mapa odchyłek", "Folder: " + d.folder};
  if (d.kind > 0) {
    lines << QString("Model: transformacja %1 stopnia %2")
                 .arg(d.kind == 1 ? "konforemna" : "ogólna")
                 .arg(d.degree);
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
  double width = 0;
  for (const QString& line : lines)
    width = std::max(width, metrics.horizontalAdvance(line));
  const double height = metrics.lineSpacing() * lines.size() + 8;
  const QRectF box(area.right() - width - 18, area.bottom() - height - 6, width + 12, height);
  p.setPen(Qt::black);
  p.setBrush(QColor(255, 255, 255, 230));
  p.drawRect(box);
  p.setBrush(Qt::NoBrush);
  double y = box.top() + 4 + metrics.ascent();
  for (const QString& line : lines) {
    p.setPen(line == d.explanation ? kFlagged : QColor(Qt::black));
    p.drawText(QPointF(box.left() + 6, y), line);
    y += metrics.lineSpacing();
  }
}

}  // namespace

QPointF ToScreen(const PictureView& v, const QRectF& area, long double x, long double y) {
  return {area.center().x() + static_cast<double>((y - v.centreY) * v.pixelsPerMetre),
          area.center().y() - static_cast<double>((x - v.centreX) * v.pixelsPerMetre)};
}

PictureView FitView(const FitPictureData& d, const QSizeF& size) {
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

void DrawFitPicture(QPainter& p, const QRectF& area, const FitPictureData& d, const PictureView& v,
                    const PictureOptions& options) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(area, Qt::white);
  p.setClipRect(area);
  const double magnification = VectorMagnification(d, area.width() / v.pixelsPerMetre);
  const double scale = magnification * v.pixelsPerMetre;  // pixels per metre of a vector
  int outside = 0;
  Map(p, area, d, v, outside);
  Corrections(p, area, d, v, scale, options.shading);
  Points(p, area, d, v, scale, options.highlighted);
  NorthArrow(p, area);
  Corners(p, area, v);
  ScaleBars(p, area, v, magnification);
  TitleBlock(p, area, d, magnification, outside);
  p.setPen(Qt::black);
  p.drawRect(area.adjusted(0, 0, -1, -1));
  p.restore();
}
