#include "desktop/ResidualMapWindow.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolBar>
#include <QToolTip>
#include <cmath>

#include "textio/NumberForms.h"

namespace {

QString Fixed(long double value) {
  return QString::fromStdString(textio::Fixed(value, 0, 4));
}

}  // namespace

MapCanvas::MapCanvas(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(400, 300);
}

void MapCanvas::SetData(FitPictureData data) {
  data_ = std::move(data);
  options_.highlighted = -1;
  if (!movedByUser_) view_ = FitView(data_, size());
  update();
}

void MapCanvas::FitAll() {
  view_ = FitView(data_, size());
  movedByUser_ = false;
  update();
}

void MapCanvas::ZoomAt(const QPointF& at, double factor) {
  // The point under the cursor stays where it is.
  movedByUser_ = true;
  const QRectF area = DataArea(rect());
  const long double x = view_.centreX - (at.y() - area.center().y()) / view_.pixelsPerMetre;
  const long double y = view_.centreY + (at.x() - area.center().x()) / view_.pixelsPerMetre;
  view_.pixelsPerMetre *= factor;
  view_.centreX = x + (at.y() - area.center().y()) / view_.pixelsPerMetre;
  view_.centreY = y - (at.x() - area.center().x()) / view_.pixelsPerMetre;
  update();
}

int MapCanvas::PointAt(const QPointF& at) const {
  int nearest = -1;
  double best = 8;
  for (std::size_t i = 0; i < data_.points.size(); ++i) {
    const QPointF s = ToScreen(view_, DataArea(rect()), data_.points[i].x, data_.points[i].y);
    const double distance = std::hypot(s.x() - at.x(), s.y() - at.y());
    if (distance <= best) {
      best = distance;
      nearest = static_cast<int>(i);
    }
  }
  return nearest;
}

void MapCanvas::Highlight(int index) {
  options_.highlighted = index;
  update();
}

void MapCanvas::SetShading(bool on) {
  options_.shading = on;
  update();
}

void MapCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawFitPicture(painter, rect(), data_, view_, options_);
}

void MapCanvas::wheelEvent(QWheelEvent* event) {
  ZoomAt(event->position(), std::pow(1.25, event->angleDelta().y() / 120.0));
}

void MapCanvas::mousePressEvent(QMouseEvent* event) {
  dragFrom_ = event->position();
  dragging_ = true;
  moved_ = false;
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    const QPointF step = event->position() - dragFrom_;
    if (std::abs(step.x()) + std::abs(step.y()) > 2) moved_ = movedByUser_ = true;
    view_.centreX += step.y() / view_.pixelsPerMetre;
    view_.centreY -= step.x() / view_.pixelsPerMetre;
    dragFrom_ = event->position();
    update();
    return;
  }
  const int i = PointAt(event->position());
  if (i < 0) {
    QToolTip::hideText();
    return;
  }
  const PicturePoint& p = data_.points[i];
  QString text = "Punkt " + p.nr;
  if (p.excluded) {
    text += " (wyłączony, kontrolny)\n|d| po korekcie = " + Fixed(p.d) + " m";
  } else {
    text += "\nvx = " + Fixed(p.vx) + "  vy = " + Fixed(p.vy) +
            "  |v| = " + Fixed(std::hypot(p.vx, p.vy)) + " m";
    text += p.hasD ? "\n|d| bez punktu = " + Fixed(p.d) + " m" : "\n|d|: h=1";
    if (p.m0i) text += "  m0(i) = " + Fixed(*p.m0i) + " m";
    if (p.flagged) text += "\n*** T > F_kr: punkt podejrzany";
  }
  QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  if (moved_) return;
  const int i = PointAt(event->position());
  if (i >= 0) {
    Highlight(i);
    emit pointClicked(i);
  }
}

void MapCanvas::resizeEvent(QResizeEvent*) {
  if (!movedByUser_) view_ = FitView(data_, size());
}

ResidualMapWindow::ResidualMapWindow(std::function<void(const QString&)> pointSelected,
                                     QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      canvas_(new MapCanvas(this)),
      pointSelected_(std::move(pointSelected)) {
  setWindowTitle("Mapa odchyłek");
  resize(1000, 680);
  setCentralWidget(canvas_);
  QToolBar* bar = addToolBar("Mapa");
  bar->setMovable(false);
  bar->addAction(QIcon::fromTheme("zoom-fit-best"), "Dopasuj", canvas_, &MapCanvas::FitAll)
      ->setToolTip("Pokaż wszystkie punkty dostosowania");
  QAction* shading = bar->addAction("Cieniowanie korekt");
  shading->setCheckable(true);
  shading->setToolTip("Barwa długości korekty Hausbrandta pod strzałkami");
  connect(shading, &QAction::toggled, canvas_, &MapCanvas::SetShading);
  bar->addAction(QIcon::fromTheme("document-print"), "Drukuj...", this, &ResidualMapWindow::Print);
  bar->addAction(QIcon::fromTheme("document-save-as"), "Zapisz jako...", this,
                 &ResidualMapWindow::AskAndSave);
  connect(canvas_, &MapCanvas::pointClicked, this, [this](int i) {
    if (pointSelected_) pointSelected_(canvas_->Data().points[i].nr);
  });
}

void ResidualMapWindow::Refresh(const RunResult& run, const std::string& folder) {
  FitPictureData data;
  if (run.MadeIn(folder)) {
    BuildFitPicture(folder, run.Transformation(), run.map.get(), run.threads, data);
  } else {
    data.folder = QString::fromStdString(folder);
    data.explanation = "Brak przebiegu w tym folderze: naciśnij WYKONAJ";
  }
  canvas_->SetData(std::move(data));
}

void ResidualMapWindow::SelectPoint(const QString& nr) {
  const std::vector<PicturePoint>& points = canvas_->Data().points;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i].nr == nr) canvas_->Highlight(static_cast<int>(i));
  }
}

bool ResidualMapWindow::SaveAs(const QString& path) {
  QString error;
  PictureOptions options = canvas_->Options();
  options.highlighted = -1;
  if (SaveFitPicture(path, canvas_->Data(), 1600, error, options)) return true;
  QMessageBox::critical(this, "ZORNAK_edz", error);
  return false;
}

QString ProposedPictureName(const QString& folder) {
  return QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath("Mapa_odchylek.png");
}

void ResidualMapWindow::AskAndSave() {
  QFileDialog dialog(this, "Zapisz mapę odchyłek", ProposedPictureName(canvas_->Data().folder),
                     "Obraz PNG (*.png);;Rysunek SVG (*.svg);;Dokument PDF (*.pdf)");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  QString path = dialog.selectedFiles().first();
  if (!path.contains('.'))
    path += dialog.selectedNameFilter().contains("svg")   ? ".svg"
            : dialog.selectedNameFilter().contains("pdf") ? ".pdf"
                                                          : ".png";
  SaveAs(path);
}

void ResidualMapWindow::Print() {
  QPrinter printer;
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setDocName("Mapa odchyłek");
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  QPainter painter(&printer);
  // Drawn 1,600 units wide and scaled to the page, so pens and letters keep the sizes the
  // screen and the files show.
  const QRectF page = painter.viewport();
  const double scale = page.width() / 1600.0;
  painter.scale(scale, scale);
  const QSizeF size(1600, page.height() / scale);
  DrawFitPicture(painter, QRectF(QPointF(0, 0), size), canvas_->Data(),
                 FitView(canvas_->Data(), size), {canvas_->Options().shading, -1});
}
