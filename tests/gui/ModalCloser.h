// Answers modal boxes as they appear: every few milliseconds it looks for the active modal
// widget and hands it to the test's handler, which records it and closes it. Start it
// before the action that opens the box.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

class ModalCloser {
 public:
  // By default every message box is answered with `answer` (or its only button).
  explicit ModalCloser(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Check(); });
    timer_.start(5);
  }
  QStringList texts;  // texts of the message boxes closed, in order
  QStringList titles;
  QString saveAs;  // the file chosen in a file dialog

 private:
  void Check() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      texts << box->text();
      titles << box->windowTitle();
      QAbstractButton* button = box->button(answer_);
      if (!button) button = box->buttons().value(0);
      button->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      dialog->selectFile(saveAs);
      QMetaObject::invokeMethod(dialog, "accept");
    }
  }

  QMessageBox::StandardButton answer_;
  QTimer timer_;
};
