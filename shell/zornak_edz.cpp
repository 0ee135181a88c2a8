// zornak_edz [FOLDER]: the desktop program, on FOLDER or else on the program's own folder.
#include <QApplication>
#include <QMessageBox>
#include <filesystem>

#include "shell/TForm2.h"
#include "viewer/Look.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("ZORNAK_edz");
  InstallFontSubstitutes();
  std::string folder;
  if (argc > 1) {
    folder = argv[1];
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
      QMessageBox::critical(nullptr, "ZORNAK_edz",
                            "Folder roboczy " + QString::fromLocal8Bit(argv[1]) +
                                " nie istnieje lub nie jest folderem");
      return 1;
    }
  }
  TForm2 window(folder);
  window.show();
  return app.exec();
}
