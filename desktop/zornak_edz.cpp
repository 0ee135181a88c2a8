// zornak_edz [FOLDER]: the desktop program, on FOLDER or else on the program's own folder.
// Started without FOLDER from a folder that takes no new file (as once installed), it asks
// for a working folder at once.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "desktop/TForm2.h"
#include "textio/Platform.h"
#include "textio/TextFile.h"
#include "viewer/Look.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetUpApplication(app);
  std::string folder;
  // Qt reads the command line in wide characters on Windows; paths go on as UTF-8.
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() > 1) {
    folder = arguments[1].toStdString();
    std::error_code ec;
    if (!std::filesystem::is_directory(textio::PathFromUtf8(folder), ec)) {
      QMessageBox::critical(
          nullptr, "ZORNAK_edz",
          "Folder roboczy " + arguments[1] + " nie istnieje lub nie jest folderem");
      return 1;
    }
  }
  TForm2 window(folder);
  window.show();
  std::string reason;
  if (folder.empty() && !textio::CanCreateFileIn(window.WorkingFolder(), reason)) {
    QTimer::singleShot(0, &window, &TForm2::ChooseFolder);
  }
  return app.exec();
}
