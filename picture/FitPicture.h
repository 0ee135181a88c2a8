// The picture of a fit: the map, the adjustment points with their residual vectors, the
// Hausbrandt correction field, a legend, scale bars and a title block, in geodetic axes
// (x north, up; y east, right). One drawing routine serves the window, printing and the
// PNG, SVG and PDF files, so every output shows the same picture.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "convert/MapDrawing.h"
#include "core/ModelChoice.h"
#include "transform/RunTransformation.h"

struct PicturePoint {
  QString nr;
  long double x = 0, y = 0;    // where it is drawn: secondary coordinates (m)
  long double vx = 0, vy = 0;  // residual (used points), m
  long double d = 0;           // leave-one-out |d| or, for an excluded point, control |d|
  long double dx = 0, dy = 0;  // the components of d
  bool hasD = false;
  std::optional<long double> m0i;
  bool excluded = false, flagged = false;
};

// A correction arrow at one node of the grid: where it is drawn, and the correction (m).
struct CorrectionArrow {
  long double x = 0, y = 0, dx = 0, dy = 0;
};

struct FitPictureData {
  QString folder;
  int kind = 0, degree = 0;
  bool fitted = false;
  QString explanation;  // why there is no fit, or no run, shown in the title block
  int pointsUsed = 0;
  long double m0 = 0, maxResidual = 0;
  QString maxResidualPoint;
  QString date;  // of the picture, yyyy-mm-dd
  std::vector<PicturePoint> points;
  std::vector<CorrectionArrow> corrections;
  // The map: outlines of parcels and contours, and point marks, in drawn coordinates.
  std::vector<std::vector<std::pair<long double, long double>>> outlines;
  std::vector<std::pair<long double, long double>> marks;
  bool mapConverted = false;  // the map shows converted coordinates (else primary ones)
};

// Builds the picture of `result`, a fit made in `folder`: its points, the correction on a
// grid (on `threads` threads, 0 every core) and the map `map` when given (the run's own; no
// file is read). An explanation already in `data` is kept; otherwise one is given when the
// fit is not usable.
void BuildFitPicture(const std::string& folder, const TransformationResult& result,
                     const MapDrawing* map, int threads, FitPictureData& data);

// For a program that holds no fit: builds the picture of the fit of `choice` to the points of
// `folder` (TRANSPKT.BIN and Wykluczone.txt), computed as a run computes it, without writing
// into the folder. False with a reason in `error` when the folder holds no run (neither
// Protokol.tra nor TRANSPKT.BIN).
bool LoadFitPicture(const std::string& folder, const ModelChoice& choice, bool withMap, int threads,
                    FitPictureData& data, QString& error);

// Which part of the plane the picture shows: a centre (m) and a scale (pixels per metre).
struct PictureView {
  long double centreX = 0, centreY = 0;
  double pixelsPerMetre = 1;
};

// The part of a picture of `area` that shows the data; the title block and the legend stand
// in a margin on its right, outside the data.
QRectF DataArea(const QRectF& area);

// The view that fits the adjustment points (else the map) into the data area of a picture
// of `size`, with a margin.
PictureView FitView(const FitPictureData& data, const QSizeF& size);

// Screen position of (x north, y east) in the data area `area` for `view`.
QPointF ToScreen(const PictureView& view, const QRectF& area, long double x, long double y);

// The magnification of residual vectors for a view `widthMetres` wide: a 1-2-5 number that
// makes the longest residual about an eighth of the width; 1 when there are none.
double VectorMagnification(const FitPictureData& data, double widthMetres);

struct PictureOptions {
  bool shading = false;  // colour the correction's length under the arrows
  int highlighted = -1;  // index of a point to ring
};

// Draws the whole picture into `area`: the data into DataArea(area), the title block and
// the legend beside it. Flagged and excluded points are always labelled, before others.
void DrawFitPicture(QPainter& painter, const QRectF& area, const FitPictureData& data,
                    const PictureView& view, const PictureOptions& options = {});

// Whether `path` names a kind of file SaveFitPicture writes: .png, .svg or .pdf.
bool IsPictureFile(const QString& path);

// Writes the picture `width` pixels wide (height 5/8 of it) as PNG, SVG or PDF by the
// extension of `path`, atomically; false with a reason (Polish) in `error`.
bool SaveFitPicture(const QString& path, const FitPictureData& data, int width, QString& error,
                    const PictureOptions& options = {});

// Style colours, shared with tests that look at the pixels.
namespace picture_colours {
inline const QColor kUsed(0, 90, 200), kFlagged(220, 0, 0), kExcluded(120, 120, 120);
inline const QColor kResidual(200, 0, 140), kCorrection(0, 150, 60), kMap(170, 170, 170);
inline const QColor kControl(230, 110, 0);  // control discrepancy of an excluded point
}  // namespace picture_colours
