// gui_screenshot FOLDER MAIN.png [EDITOR.png [POINTS.png]]: runs the main window on FOLDER,
// answers its message boxes, and saves a picture of the window after the run (for the
// README); with EDITOR.png also one of the editor opened on Protokol.tra from its panel, and
// with POINTS.png one of the window "Punkty dostosowania", the proposal of exclusions
// selected.
#include <QApplication>
#include <QPixmap>
#include <QTextEdit>

#include "core/WorkingFiles.h"
#include "desktop/AdjustmentPointsWindow.h"
#include "desktop/TForm2.h"
#include "tests/gui/ModalCloser.h"
#include "viewer/Look.h"
#include "viewer/TForm4.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3 || argc > 5) return 2;
  SetUpApplication(app);
  TForm2 form(argv[1]);
  form.show();
  ModalCloser closer;
  QTimer::singleShot(200, [&] {
    form.BitBtn1Click();
    QTimer::singleShot(300, [&] {
      form.grab().save(argv[2]);
      if (argc == 3) return app.quit();
      emit form.Panel(slot::kReport)->clicked();
      QTimer::singleShot(300, [&] {
        for (TForm4* editor : form.findChildren<TForm4*>())
          editor->grab().save(argv[3]);
        if (argc == 4) return app.quit();
        form.ShowAdjustmentPoints();
        form.PointsWindow()->SelectProposal();
        QTimer::singleShot(300, [&] {
          form.PointsWindow()->grab().save(argv[4]);
          app.quit();
        });
      });
    });
  });
  return app.exec();
}
