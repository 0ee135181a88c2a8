#include "viewer/Look.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QStandardPaths>
#include <QTranslator>
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

bool SetUpApplication(QApplication& app) {
  QApplication::setApplicationName("ZORNAK_edz");
  QApplication::setOrganizationName("ZORNAK_edz");
  InstallFontSubstitutes();
  QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
  // Some platforms (the offscreen one among them) search no system icon folder.
  QStringList iconFolders = QIcon::themeSearchPaths();
  for (const QString& folder : QStandardPaths::locateAll(
           QStandardPaths::GenericDataLocation, "icons", QStandardPaths::LocateDirectory)) {
    if (!iconFolders.contains(folder)) iconFolders << folder;
  }
  // The Windows package carries the icons it shows beside the program.
  iconFolders << QCoreApplication::applicationDirPath() + "/icons";
  QIcon::setThemeSearchPaths(iconFolders);
  if (!QIcon::hasThemeIcon("document-open")) QIcon::setThemeName("Adwaita");
  QIcon::setFallbackThemeName("Adwaita");
  auto* translator = new QTranslator(&app);
  // Qt's own folder where Qt is installed; beside the program where it travels with it
  // (the Windows package).
  const bool loaded =
      translator->load("qtbase_pl", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      translator->load("qtbase_pl", QCoreApplication::applicationDirPath() + "/translations");
  if (loaded) QApplication::installTranslator(translator);
  return loaded;
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
