// gui_screenshot FOLDER OUT.png: runs the main window on FOLDER, answers its message boxes,
// and saves a picture of the window after the run (for the README).
#include <QApplication>
#include <QPixmap>

#include "shell/TForm2.h"
#include "tests/gui/ModalCloser.h"
#include "viewer/Look.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("ZORNAK_edz");
  if (argc != 3) return 2;
  InstallFontSubstitutes();
  TForm2 form(argv[1]);
  form.show();
  ModalCloser closer;
  QTimer::singleShot(200, [&] {
    form.BitBtn1Click();
    QTimer::singleShot(300, [&] {
      form.grab().save(argv[2]);
      app.quit();
    });
  });
  return app.exec();
}
