#include "viewer/Look.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

QColor ColourOf(SystemColour colour) {
  const QPalette palette = QApplication::palette();
  switch (colour) {
    case SystemColour::BtnFace:
      return palette.color(QPalette::Button);
    case SystemColour::InfoBk:
      return palette.color(QPalette::ToolTipBase);
    case SystemColour::Window:
      return palette.color(QPalette::Base);
    case SystemColour::WindowText:
      return palette.color(QPalette::WindowText);
    case SystemColour::Navy:
      return QColor(0x00, 0x00, 0x80);
    case SystemColour::Black:
      return QColor(Qt::black);
    case SystemColour::Aqua:
      return QColor(0x00, 0xFF, 0xFF);
  }
  return {};
}

void InstallFontSubstitutes() {
  const QStringList sans = {"Liberation Sans", "DejaVu Sans", "Sans Serif"};
  QFont::insertSubstitutions("MS Sans Serif", sans);
  QFont::insertSubstitutions("Arial", sans);
  QFont::insertSubstitutions("Courier New", {"Liberation Mono", "DejaVu Sans Mono", "Monospace"});
}

QFont WindowsFont(const QString& family, int points, bool bold) {
  QFont font(family, points, bold ? QFont::Bold : QFont::Normal);
  if (family == "Courier New") font.setStyleHint(QFont::TypeWriter);
  return font;
}

void Paint(QWidget* widget, const QColor& background) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Base, background);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void PaintText(QWidget* widget, const QColor& text) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Text, text);
  widget->setPalette(palette);
}
