// The window "Mapa odchyłek": the picture of the last run in the working folder. The wheel
// zooms about the cursor, a drag pans, "Dopasuj" fits the adjustment points; hovering a
// point shows its number, residual and leave-one-out figures, and a click selects it (and
// reports it, so the table of adjustment points can follow). Print and save as PNG, SVG
// or PDF show the same picture.
#pragma once

#include <QMainWindow>
#include <QWidget>
#include <functional>
#include <string>

#include "picture/FitPicture.h"
#include "run/RunProcessing.h"

class MapCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit MapCanvas(QWidget* parent = nullptr);

  void SetData(FitPictureData data);
  void FitAll();
  void ZoomAt(const QPointF& at, double factor);
  // The point nearest to `at` within 8 pixels, or -1.
  int PointAt(const QPointF& at) const;
  void Highlight(int index);
  void SetShading(bool on);

  const FitPictureData& Data() const { return data_; }
  const PictureView& View() const { return view_; }
  const PictureOptions& Options() const { return options_; }

 signals:
  void pointClicked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  FitPictureData data_;
  PictureView view_;
  PictureOptions options_;
  QPointF dragFrom_;
  bool dragging_ = false, moved_ = false;
  // Until the user zooms or pans, the view follows the window's size and the data: it
  // shows every adjustment point.
  bool movedByUser_ = false;
};

// The name "Zapisz jako..." proposes: Mapa_odchylek.png in the run's folder.
QString ProposedPictureName(const QString& folder);

class ResidualMapWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `pointSelected` receives the number of a point clicked on the map.
  explicit ResidualMapWindow(std::function<void(const QString&)> pointSelected,
                             QWidget* parent = nullptr);

  // Draws the fit of `run` over the map of the working folder `folder`: the same fit as the
  // table of adjustment points. Without a run in that folder, says so. The picture is built
  // at once: the window keeps no reference to the result.
  void Refresh(const RunResult& run, const std::string& folder);
  // Rings the point of this number (from the table of adjustment points).
  void SelectPoint(const QString& nr);
  MapCanvas* Canvas() const { return canvas_; }
  bool SaveAs(const QString& path);

 private:
  void Print();
  void AskAndSave();

  MapCanvas* canvas_;
  std::function<void(const QString&)> pointSelected_;
};
