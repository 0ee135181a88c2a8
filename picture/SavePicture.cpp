#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "picture/FitPicture.h"

namespace {

// Paints the picture `width` x 5/8 width onto `device`.
void Paint(QPaintDevice& device, const FitPictureData& data, const QSizeF& size,
           const PictureOptions& options) {
  QPainter painter(&device);
  const QRectF area(QPointF(0, 0), size);
  DrawFitPicture(painter, area, data, FitView(data, size), options);
}

}  // namespace

bool SaveFitPicture(const QString& path, const FitPictureData& data, int width, QString& error,
                    const PictureOptions& options) {
  const QSize size(width, width * 5 / 8);
  const QString kind = path.section('.', -1).toLower();
  // Written beside its name and renamed into place only when complete, as every output.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = "Nie można zapisać pliku " + path + ": " + file.errorString();
    return false;
  }
  if (kind == "png") {
    QImage image(size, QImage::Format_RGB32);
    Paint(image, data, size, options);
    image.save(&file, "PNG");
  } else if (kind == "svg") {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("ZORNAK_edz - mapa odchyłek");
    Paint(svg, data, size, options);
  } else if (kind == "pdf") {
    QPdfWriter pdf(&file);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setTitle("ZORNAK_edz - mapa odchyłek");
    pdf.setResolution(96);
    Paint(pdf, data, QSizeF(pdf.width(), pdf.height()), options);
  } else {
    file.cancelWriting();
    error = "Nieznany rodzaj pliku: " + path + " (png, svg lub pdf)";
    return false;
  }
  if (!file.commit()) {
    error = "Błąd zapisu pliku " + path + ": " + file.errorString();
    return false;
  }
  return true;
}
