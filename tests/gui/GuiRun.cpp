// gui_run FOLDER: the desktop program's whole run on FOLDER, without a person: the window
// starts, "WYKONAJ" is pressed at once, the closing message box is answered, and the
// program ends. Used by the whole-run benchmark (QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QTimer>

#include "desktop/TForm2.h"
#include "tests/gui/ModalCloser.h"
#include "viewer/Look.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) return 2;
  SetUpApplication(app);
  TForm2 form(argv[1]);
  form.show();
  ModalCloser closer;
  QTimer::singleShot(0, [&] {
    form.BitBtn1Click();
    app.quit();
  });
  return app.exec();
}
