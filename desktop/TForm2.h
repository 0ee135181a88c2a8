// The main window: one panel per working file (lit when the file exists), the conversion
// switches, the counters, the model selectors, "WYKONAJ" and the status field. It is the
// processing's window: it implements the window operations that the run calls.
#pragma once

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QStringList>
#include <QUrl>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "gis/GisFile.h"
#include "run/RunProcessing.h"

class AdjustmentPointsWindow;
class ResidualMapWindow;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

// The working folder a command-line argument names: the folder itself, or the folder of a
// file in it (a desktop's "open with" of TRANSPKT.BIN or DZIALKI.edz); empty when it names
// neither.
std::string FolderOfArgument(const QString& argument);

// Where the folder chooser starts without a working folder: the user's Documents, else home.
QString DocumentsFolder();
// The example folder installed with the program (beside it, or in share/zornak-edz), with
// the demo's files; empty when there is none.
std::string InstalledExample();
// Copies the files of `example` into a new folder "ZORNAK_edz przykład" (or "... (2)", ...)
// under `into`, writable; its path, or empty with `error`.
std::string CopyOfExample(const std::string& example, const QString& into, QString& error);

// The folders worked in, most recent first (QSettings); only those that still exist.
QStringList RecentFolders();
void RememberFolder(const QString& folder);

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

class TForm2 : public QMainWindow, public RunEvents {
  Q_OBJECT

 public:
  // `folder` empty: the program's own folder when it holds working files (the program
  // copied into the map's folder), else the last folder worked in, else none: then the
  // status bar says "Nie wybrano folderu roboczego" and WYKONAJ waits for a folder.
  explicit TForm2(std::string folder = {}, QWidget* parent = nullptr);

  // From the fourth message box of one kind in a run on, the box offers to skip the rest
  // of that kind in this run.
  static constexpr int kBoxesBeforeSkipOffer = 3;

  void ShowStatus(std::string_view text) override;
  void ShowMessage(MessageKind kind, std::string_view text) override;
  void ShowPanel(int slot, PanelState state) override;
  void SetCounter(Counter counter, std::string_view text) override;
  // The question before the maps; "Nie przeliczaj – pokaż punkty" answers false and has the
  // points window opened, with the proposal selected, once the run ends.
  bool ConvertDespiteSuspectPoints(std::string_view question);
  // What WYKONAJ asks of the run, from the window's choices as they stand now.
  RunRequest Request();

  // Locates the folder, rebuilds the file table and lights the panels of present files.
  void StartUp();
  // "WYKONAJ": the whole processing.
  void BitBtn1Click();
  // Asks for a working folder with the folder dialog; a chosen one becomes the working
  // folder, shown in the status bar, and the panels follow it.
  void ChooseFolder();
  // Makes `folder` the working folder (and the most recent one): the panels follow, the
  // counters, the status and the fit shown of the previous folder are cleared.
  void UseFolder(const std::string& folder);
  const std::string& WorkingFolder() const { return state_.files.WorkingFolder; }
  bool HasFolder() const { return !state_.files.WorkingFolder.empty(); }
  // A click on the panel of `slot`: a text in the editor, a binary output (Mapa.gpkg) in the
  // system's program for it, else a message saying where it is.
  void OpenWorkingFile(int slot);
  // How a binary output is handed to the system (tests put their own here); true when it was.
  void OpenExternallyWith(std::function<bool(const QString&)> open) {
    openExternally_ = std::move(open);
  }
  // "Otwórz przykład": the installed example copied into the user's Documents first (it
  // stays read-only where it was installed), and the copy made the working folder.
  bool OpenExample();
  // The start without a folder: a box offers "Wybierz folder..." and "Otwórz przykład".
  void OfferStart();
  // Opens (or raises) the window "Punkty dostosowania".
  void ShowAdjustmentPoints();
  // Sets the kind (1, 2) and degree (1..9) selectors; the next run uses them. The start-up
  // pass then no longer resets the kind.
  void UseModel(int kind, int degree);
  AdjustmentPointsWindow* PointsWindow() const { return pointsWindow_; }
  // Opens (or raises) the window "Mapa odchyłek".
  void ShowResidualMap();
  ResidualMapWindow* MapWindow() const { return mapWindow_; }
  QPushButton* MapButton() const { return mapButton_; }
  QCheckBox* GeoPackageSwitch() const { return geoPackageBox_; }
  QCheckBox* FullPipelineSwitch() const { return fullPipelineBox_; }
  QPushButton* PointsButton() const { return pointsButton_; }
  QPushButton* ReportButton() const { return reportButton_; }
  // "Wykonawca" for the PDF report, remembered between sessions.
  QLineEdit* Executor() const { return executor_; }
  // "Raport PDF...": asks where, proposing Raport.pdf in the working folder, and writes it.
  void AskAndWriteReport();
  // Writes the PDF report of what the window shows to `path`; false with a message.
  bool WriteReport(const QString& path);
  // The line of the last fit in the transformation row: m0, the largest residual, the
  // suspect and the excluded points; empty while no run of this folder is shown.
  QLabel* FitSummary() const { return fitSummary_; }
  // "Przelicz plik GIS...": a GIS file chosen, then ConvertGisFile.
  void AskAndConvertGisFile();
  // Converts the GIS file at `path` through the last run's fit of the working folder
  // (beside it, "_2000" before its extension) and opens its protocol in the editor.
  GisFileResult ConvertGisFile(const QString& path);
  QToolButton* GisButton() const { return gisButton_; }
  // "Wspólna transformacja folderów...": the folder list, then RunJoint.
  void AskAndRunJoint();
  // One fit of the union of the adjustment points of `folders`, its reports written into
  // `jointFolder`, which becomes the working folder (WYKONAJ there runs the joint fit
  // again); every folder's maps converted through it, and Szwy.txt of their seams written
  // into the joint folder. The points window and the map show the joint fit. False, with a
  // message naming why, when the folders cannot be joined.
  bool RunJoint(const std::vector<std::string>& folders, const std::string& jointFolder);
  // The folders whose joint fit the working folder holds; empty for a folder of its own.
  std::vector<std::string> JointFolders() const;
  // The job's limits of the working folder (its Limity.txt): m0 and the largest residual,
  // in metres; empty: no limit.
  QLineEdit* LimitM0Field() const { return limitM0_; }
  QLineEdit* LimitResidualField() const { return limitResidual_; }
  // Writes the fields into Limity.txt when they changed (none set: the file is removed);
  // false with a message when a field holds no limit or the file cannot be written.
  bool SaveLimits();
  // The limits the fields hold now; `run`'s while a field holds no number yet.
  Limits ShownLimits(const Limits& run) const;
  // Refits the last run's points in memory without `excluded` (a tick in the points
  // window): the points window, the map and the fit line follow; the files wait for WYKONAJ.
  // Large sets are refitted on a worker thread, the points window disabled meanwhile; every
  // other window stays usable and shows the result it holds until the refit's arrives.
  void RefitInMemory(const std::vector<PointNumber>& excluded);
  // True while a refit runs on its worker thread.
  bool Refitting() const { return refitting_; }
  int WorkerRefits() const { return workerRefits_; }  // refits made on the worker thread
  // The answer the question before the maps gets without showing itself (tests); unset, it
  // asks.
  void AnswerSuspectQuestion(std::optional<bool> convert) { suspectAnswer_ = convert; }

  ClickLabel* Panel(int slot) const { return panels_[slot]; }
  ClickLabel* Image2() const { return image2_; }
  // The counter field EditN, N one of 1..5, 8..10, 12..14.
  QLineEdit* Edit(int n) const { return edits_.at(n); }
  QLineEdit* CounterField(Counter counter) const;
  QLineEdit* Edit7() const { return edit7_; }
  QCheckBox* CheckBox(int box) const { return boxes_[box]; }
  const RunState& State() const { return state_; }
  QPushButton* BitBtn1() const { return bitBtn1_; }
  QToolButton* FolderButton() const { return folderButton_; }
  // The name of an existing file is in bold and its panel framed: a cue beside the colour.
  static bool ShowsPresent(const QLabel* panel);
  QString StatusBarText() const;

 public:
  ~TForm2() override;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateHeader(QWidget* area);
  void CreateFileColumns(QWidget* area);
  void CreateCounters(QWidget* area);
  void CreateTransformationRow(QWidget* area);
  void CreateStatusBar();
  void PaintStatus();
  void ShowFitSummary();
  // Empties the counters, the status field and the fit line: they belong to one run.
  void ClearRunFigures();
  // The status of a run that was refused or found no usable transformation.
  void ShowRunOutcome();
  // Greys the panel of Mapa.gpkg when the last run names it as made from another fit.
  void MarkStaleOutputs();
  void FillRecentMenu();
  void FillGisMenu();
  void CreateLimitFields(QWidget* area);
  void LoadLimits();
  void AfterRefit(long double m0Before);
  // The points window and the map show the result held now, for the working folder.
  void RefreshViews();
  // Asks about editors with unsaved changes; false when the user cancels.
  bool CloseEditors();

  std::string folder_;
  RunState state_;
  bool running_ = false;
  std::array<ClickLabel*, kWorkingFileSlots + 1> panels_{};
  std::array<QCheckBox*, 6> boxes_{};
  std::map<int, QLineEdit*> edits_;
  QLineEdit* edit7_ = nullptr;
  QComboBox* comboBox1_ = nullptr;
  QComboBox* comboBox2_ = nullptr;
  QPushButton* bitBtn1_ = nullptr;
  ClickLabel* image2_ = nullptr;
  ClickLabel* statusText_ = nullptr;
  QToolButton* folderButton_ = nullptr;
  QPushButton* pointsButton_ = nullptr;
  AdjustmentPointsWindow* pointsWindow_ = nullptr;
  QPushButton* mapButton_ = nullptr;
  QCheckBox* geoPackageBox_ = nullptr;
  QCheckBox* fullPipelineBox_ = nullptr;
  ResidualMapWindow* mapWindow_ = nullptr;
  bool modelChosen_ = false;
  QLabel* fitSummary_ = nullptr;
  QPushButton* reportButton_ = nullptr;
  QLineEdit* executor_ = nullptr;
  QToolButton* gisButton_ = nullptr;
  QLineEdit* limitM0_ = nullptr;
  QLineEdit* limitResidual_ = nullptr;
  std::string limitsFolder_;  // the folder whose Limity.txt the fields show
  // The last joint fit: its folder and the folders it joined.
  std::string jointFolder_;
  std::vector<std::string> jointFolders_;
  bool showProposal_ = false;  // after this run, "Nie przeliczaj – pokaż punkty"
  std::optional<bool> suspectAnswer_;
  bool refitting_ = false;
  int workerRefits_ = 0;
  std::thread refitThread_;
  // The worker's own tables: only the one refit running at a time touches them.
  std::shared_ptr<TransformationWork> refitWork_ = std::make_shared<TransformationWork>();
  // Counts runs and changes of folder: a refit started under another count is dropped.
  int generation_ = 0;
  std::map<MessageKind, int> boxesShown_;  // this run's boxes of each kind
  std::set<MessageKind> skipped_;          // kinds the user chose to skip in this run
  std::function<bool(const QString&)> openExternally_ = [](const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  };
  QElapsedTimer lastPaint_;
  std::string pendingStatus_;
  bool statusPending_ = false;
};
