// The main window: one panel per working file (lit when the file exists), the conversion
// switches, the counters, the model selectors, "WYKONAJ" and the status field. It is the
// processing's window: it implements the window operations that the run calls.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <array>
#include <map>
#include <string>

#include "shell/WindowOperations.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// A label that reacts to a click: the file panels and the help picture.
class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TForm2 : public QMainWindow, public WindowOperations {
  Q_OBJECT

 public:
  // `folder` empty: the working folder is the program's folder.
  explicit TForm2(std::string folder = {}, QWidget* parent = nullptr);

  std::string KindText() override;
  std::string DegreeText() override;
  void ShowStatus(std::string_view text) override;
  void ShowMessage(std::string_view text) override;
  void ColourPanel(int slot, PanelColour colour) override;
  void SetCounter(CounterField field, std::string_view text) override;
  std::string CounterText(CounterField field) override;
  bool ConversionSwitch(int box) override;

  // Locates the folder, rebuilds the file table and lights the panels of present files.
  void StartUp();
  // "WYKONAJ": the whole processing.
  void BitBtn1Click();

  ClickLabel* Panel(int slot) const { return panels_[slot]; }
  ClickLabel* Image2() const { return image2_; }
  QLineEdit* Counter(CounterField field) const { return counters_.at(field); }
  QLineEdit* Edit7() const { return edit7_; }
  QCheckBox* CheckBox(int box) const { return boxes_[box]; }
  QPushButton* BitBtn1() const { return bitBtn1_; }
  QString StatusBarText() const;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateHeader(QWidget* area);
  void CreateFileColumns(QWidget* area);
  void CreateCounters(QWidget* area);
  void CreateTransformationRow(QWidget* area);
  void PaintStatus();

  std::string folder_;
  bool running_ = false;
  std::array<ClickLabel*, 25> panels_{};
  std::array<QCheckBox*, 6> boxes_{};
  std::map<CounterField, QLineEdit*> counters_;
  QLineEdit* edit7_ = nullptr;
  QComboBox* comboBox1_ = nullptr;
  QComboBox* comboBox2_ = nullptr;
  QPushButton* bitBtn1_ = nullptr;
  ClickLabel* image2_ = nullptr;
  QLabel* statusText_ = nullptr;
  QElapsedTimer lastPaint_;
  std::string pendingStatus_;
  bool statusPending_ = false;
};
