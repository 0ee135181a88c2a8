// zornak_edz [FOLDER | FILE]: the desktop program, on FOLDER, or on the folder of FILE (a
// desktop's "open with"). Without an argument it works in its own folder when that holds
// working files, else in the last folder worked in, else it asks for a folder at once.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "desktop/TForm2.h"
#include "viewer/Look.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetUpApplication(app);
  std::string folder;
  // Qt reads the command line in wide characters on Windows; paths go on as UTF-8.
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() > 1) {
    folder = FolderOfArgument(arguments[1]);
    if (folder.empty()) {
      QMessageBox::critical(
          nullptr, "ZORNAK_edz",
          "Folder roboczy " + arguments[1] + " nie istnieje lub nie jest folderem");
      return 1;
    }
  }
  TForm2 window(folder);
  window.show();
  if (!window.HasFolder()) QTimer::singleShot(0, &window, &TForm2::ChooseFolder);
  return app.exec();
}
