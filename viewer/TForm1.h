// The help window: the user guide in a fixed dialog frame. Several may be open; each is
// destroyed when closed, so text typed into one is gone.
#pragma once

#include <QDialog>

class QPlainTextEdit;

class TForm1 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  QPlainTextEdit* Memo() const { return memo_; }

 private:
  QPlainTextEdit* memo_;
};
