// Answers modal boxes as they appear: every few milliseconds it looks for the active modal
// widget and hands it to the test's handler, which records it and closes it. Start it
// before the action that opens the box.
#pragma once

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
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
  QStringList buttons;    // the button texts of each box or dialog, joined by "|"
  QStringList defaults;   // the default button of each box (what Enter would press)
  QString saveAs;         // the file chosen in a file dialog; empty: the dialog is cancelled
  QStringList folders;    // the folder each file dialog opened in
  QStringList proposals;  // the file each file dialog proposed (empty for a folder dialog)
  // Chooses the button of a message box (nullptr: the default answer).
  std::function<QAbstractButton*(QMessageBox*)> choose;

 private:
  static QString ButtonTexts(const QList<QAbstractButton*>& list) {
    QStringList names;
    for (const QAbstractButton* b : list)
      names << b->text();
    return names.join('|');
  }

  void Check() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      texts << box->text();
      titles << box->windowTitle();
      buttons << ButtonTexts(box->buttons());
      defaults << (box->defaultButton() ? box->defaultButton()->text() : QString());
      QAbstractButton* button = choose ? choose(box) : nullptr;
      if (!button) button = box->button(answer_);
      if (!button) button = box->buttons().value(0);
      button->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (seen_ != dialog) {
        seen_ = dialog;
        folders << dialog->directory().absolutePath();
        const auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        proposals << (name ? name->text() : QString());
      }
      if (auto* box = dialog->findChild<QDialogButtonBox*>())
        buttons << ButtonTexts(box->buttons());
      if (saveAs.isEmpty()) {
        QMetaObject::invokeMethod(dialog, "reject");
        return;
      }
      if (dialog->fileMode() == QFileDialog::Directory) {
        // The folder itself, not a name in it: selecting a name races with the loading of
        // the dialog's file list.
        dialog->setDirectory(saveAs);
        dialog->selectFile(QString());
      } else {
        dialog->selectFile(saveAs);
        // selectFile leaves the name field alone while it has the focus; the name typed in
        // is what a save dialog accepts.
        if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(saveAs);
      }
      // The dialog's own accept() goes by its file list, which a thread loads meanwhile: on
      // a loaded machine it could take the typed name for something else and stay open.
      // The answer is given once the dialog itself says it holds the file, else at the next
      // tick.
      const QStringList chosen = dialog->selectedFiles();
      const QString wanted = QFileInfo(saveAs).absoluteFilePath();
      if (chosen.size() == 1 && QFileInfo(chosen.first()).absoluteFilePath() == wanted) {
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
      }
    }
  }

  QMessageBox::StandardButton answer_;
  const QFileDialog* seen_ = nullptr;  // the dialog already recorded
  QTimer timer_;
};
