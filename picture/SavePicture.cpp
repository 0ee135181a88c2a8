#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "picture/FitPicture.h"
#include "textio/TextFile.h"

namespace {

// Paints the picture `width` x 5/8 width onto `device`.
void Paint(QPaintDevice& device, const FitPictureData& data, const QSizeF& size,
           const PictureOptions& options) {
  QPainter painter(&device);
  const QRectF area(QPointF(0, 0), size);
  DrawFitPicture(painter, area, data, FitView(data, size), options);
}

}  // namespace

bool IsPictureFile(const QString& path) {
  const QString kind = path.section('.', -1).toLower();
  return path.contains('.') && (kind == "png" || kind == "svg" || kind == "pdf");
}

bool SaveFitPicture(const QString& path, const FitPictureData& data, int width, QString& error,
                    const PictureOptions& options) {
  const QSize size(width, width * 5 / 8);
  const QString kind = path.section('.', -1).toLower();
  if (!IsPictureFile(path)) {
    error = "Nieznany rodzaj pliku: " + path + " (png, svg lub pdf)";
    return false;
  }
  // Made in memory, then written beside its name and renamed into place, as every output.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (kind == "png") {
    QImage image(size, QImage::Format_RGB32);
    Paint(image, data, size, options);
    image.save(&buffer, "PNG");
  } else if (kind == "svg") {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("ZORNAK_edz - mapa odchyłek");
    Paint(svg, data, size, options);
  } else {
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setTitle("ZORNAK_edz - mapa odchyłek");
    pdf.setResolution(96);
    Paint(pdf, data, QSizeF(pdf.width(), pdf.height()), options);
  }
  buffer.close();
  std::string failure;
  if (!textio::WriteFileAtomically(path.toStdString(),
                                   std::string_view(bytes.constData(), bytes.size()), failure)) {
    error = "Nie można zapisać pliku " + QString::fromStdString(failure);
    return false;
  }
  return true;
}
