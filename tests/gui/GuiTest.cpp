// The desktop program's windows, driven through their real widgets on the offscreen
// platform.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "bench/BlunderSets.h"
#include "bench/CountyGenerator.h"
#include "convert/MapGeometry.h"
#include "core/WorkingFiles.h"
#include "desktop/AdjustmentPointsWindow.h"
#include "desktop/JointDialog.h"
#include "desktop/ResidualMapWindow.h"
#include "desktop/TForm2.h"
#include "tests/RecordingWindow.h"
#include "tests/gui/ModalCloser.h"
#include "textio/Cp1250.h"
#include "transform/Exclusions.h"
#include "transform/UPKTBIN.h"
#include "viewer/HelpText.h"
#include "viewer/Look.h"
#include "viewer/TForm1.h"
#include "viewer/TForm4.h"
#include "viewer/WindowPlace.h"

namespace {

// Paths as the tests write them: Windows shows its own separators.
QString Slashes(const QString& path) {
  return QDir::fromNativeSeparators(path);
}
QStringList Slashes(QStringList paths) {
  for (QString& path : paths)
    path = Slashes(path);
  return paths;
}

QColor Background(QWidget* widget) {
  return widget->palette().color(QPalette::Window);
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Moves the secondary y of point `nr` of a TRANSPKT.BIN by `by` metres: a blunder.
void MoveOnePoint(const QString& path, std::string_view nr, long double by) {
  TPktDostosowania points;
  std::string header;
  std::int32_t n1 = 0, n2 = 0;
  QCOMPARE(TPktBIN().CzytajBIN(path.toStdString(), header, n1, n2, points), 0);
  for (TPkt& p : points) {
    if (TrimmedNumber(p.Nr) == nr) p.y2 += by;
  }
  QVERIFY(WriteTransPktBIN(path.toStdString(), header, n1, n2, points));
}

// The files of the demo folder named in `names` (every file when none is named) into
// `folder`.
// 6,000 adjustment points on a grid: a tick refits them on the worker thread.
bool WriteLargeAdjustmentSet(const QTemporaryDir& folder) {
  TPktDostosowania points;
  for (int i = 0; i < 6000; ++i) {
    const long double x = 5566000 + 37.0L * (i % 80) + 0.01L * i, y = 7455000 + 41.0L * (i / 80);
    points.push_back({"P" + std::to_string(i + 1), x, y, x + 0.2L + 0.001L * (i % 7),
                      y - 0.1L + 0.001L * (i % 5)});
  }
  return WriteTransPktBIN(folder.filePath("TRANSPKT.BIN").toStdString(), "x", 1, 2, points);
}

// WYKONAJ on the form's folder, its boxes answered, then the points window opened.
void RunAndShowPoints(TForm2& form) {
  form.show();
  {
    ModalCloser closer;
    form.BitBtn1Click();
  }
  form.ShowAdjustmentPoints();
}

// The numbers of the points window's rows, top to bottom.
QStringList RowNumbers(const QTableWidget* table) {
  QStringList numbers;
  for (int row = 0; row < table->rowCount(); ++row)
    numbers << table->item(row, 1)->text();
  return numbers;
}

// Unticks point `nr` in the points window: a refit starts.
void Untick(TForm2& form, const QString& nr) {
  QTableWidget* table = form.PointsWindow()->Points();
  const QList<QTableWidgetItem*> found = table->findItems(nr, Qt::MatchExactly);
  QVERIFY(found.size() == 1);
  table->item(found[0]->row(), 0)->setCheckState(Qt::Unchecked);
}

void CopyDemo(const QTemporaryDir& folder, std::initializer_list<const char*> names = {}) {
  const std::string target = folder.path().toStdString() + "/";
  if (names.size() > 0) {
    for (const char* name : names)
      std::filesystem::copy_file(std::string(ZORNAK_DEMO_FOLDER) + "/" + name, target + name);
    return;
  }
  for (const auto& entry : std::filesystem::directory_iterator(ZORNAK_DEMO_FOLDER))
    std::filesystem::copy_file(entry.path(), target + entry.path().filename().string());
}

// The main window, remembering every status text it was given.
class RecordingForm : public TForm2 {
 public:
  using TForm2::TForm2;
  void ShowStatus(std::string_view text) override {
    statuses << QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    TForm2::ShowStatus(text);
  }
  QStringList statuses;
};

}  // namespace

class GuiTest : public QObject {
  Q_OBJECT

  QTemporaryDir settings_;

 private slots:
  void initTestCase() {
    QVERIFY(SetUpApplication(*qApp));
    // The user's own settings are never touched: each test program keeps its own.
    QVERIFY(settings_.isValid());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_.path());
  }
  void init() { QSettings().clear(); }

  void startUpLightsPresentFilesOnly() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("DZIALKI.edz"), "");
    TForm2 form(folder.path().toStdString());
    QCOMPARE(Background(form.Panel(2)), ColourOf(SystemColour::InfoBk));
    for (int slot = 1; slot <= 23; ++slot) {
      if (slot != 2) QCOMPARE(Background(form.Panel(slot)), ColourOf(SystemColour::BtnFace));
    }
    QCOMPARE(Slashes(form.StatusBarText()), " Folder roboczy = " + folder.path());
    QVERIFY(!form.Edit7()->isVisible());

    WriteBytes(folder.filePath("OBIEKTY.txt"), "");
    WriteBytes(folder.filePath("xy1"), "");
    QFile::remove(folder.filePath("DZIALKI.edz"));
    form.StartUp();
    QCOMPARE(Background(form.Panel(21)), ColourOf(SystemColour::Window));
    QCOMPARE(Background(form.Panel(15)), ColourOf(SystemColour::Window));
    QVERIFY(form.Panel(15)->isHidden());
    QCOMPARE(Background(form.Panel(2)), ColourOf(SystemColour::BtnFace));
  }

  void runOnTheDemoFolder() {
    QTemporaryDir folder;
    CopyDemo(folder);
    RecordingForm form(folder.path().toStdString());
    form.show();
    ModalCloser closer;
    QTest::mouseClick(form.BitBtn1(), Qt::LeftButton);
    QCOMPARE(closer.texts, QStringList{" Koniec obliczeń - ZORNAK_EDZ"});
    QCOMPARE(closer.titles, QStringList{"ZORNAK_edz"});
    QCOMPARE(form.statuses.first(), " obliczenia są wykonywane - proszę czekać");
    QCOMPARE(form.statuses.value(1), " sprawdzono zbiory punktów dostosowania");
    QVERIFY(form.statuses.contains(" Czytam DZIALKI.edz - proszę czekac"));
    QVERIFY(form.statuses.indexOf(" Przetwarzam WARSTWY.txt - proszę czekać") <
            form.statuses.indexOf(" Przetwarzam OBIEKTY.txt"));
    QCOMPARE(form.statuses.last(), " przetwarzanie zakończone");
    QCOMPARE(form.Edit7()->text(), " przetwarzanie zakończone");
    QVERIFY(form.Edit7()->isVisible());
    QCOMPARE(form.Edit(9)->text(), "9");
    QCOMPARE(form.Edit(5)->text(), "3");
    QCOMPARE(form.Edit(12)->text(), "24");
    QCOMPARE(form.Edit(14)->text(), "7");
    for (int slot : {1, 3, 5, 17, 22}) {
      QCOMPARE(Background(form.Panel(slot)), ColourOf(SystemColour::Window));
    }
    QVERIFY(QFile::exists(folder.filePath("Dzialki.ed_")));
  }

  // The window is only the run's sink: WYKONAJ in the window and the run with a sink that
  // records its events, given the same request, leave the same files (but for the folder's
  // name in the reports) and show the same counters.
  void theWindowAndARecordingSinkGiveTheSameRun() {
    QTemporaryDir shown, recorded;
    CopyDemo(shown);
    CopyDemo(recorded);
    TForm2 form(shown.path().toStdString());
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    RecordingWindow sink;
    RunState state;
    state.files.WorkingFolder = AbsoluteFolder(recorded.path().toStdString());
    state.files.BuildWorkingFiles();
    const std::shared_ptr<const RunResult> run = RunProcessing(state, sink.Request(), sink);
    QVERIFY(run->started);
    const QStringList names = QDir(shown.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(QDir(recorded.path()).entryList(QDir::Files, QDir::Name), names);
    // The reports name the working folder as the run took it.
    const auto bytes = [](const QTemporaryDir& folder, const std::string& working,
                          const QString& name) {
      QByteArray b = ReadBytes(folder.filePath(name));
      b.replace(textio::Utf8ToCp1250(working).c_str(), "FOLDER");
      // The comparison of models has a time budget: how many it compares is the machine's.
      const qsizetype models = b.indexOf("POR\xD3WNANIE MODELI");
      if (name == "Kontrola.tra" && models > 0) b.truncate(models);
      return b;
    };
    for (const QString& name : names) {
      QVERIFY2(bytes(shown, form.WorkingFolder(), name) ==
                   bytes(recorded, state.files.WorkingFolder, name),
               qPrintable(name));
    }
    for (const auto& [counter, text] : sink.counters)
      QCOMPARE(form.CounterField(counter)->text(), QString::fromStdString(text));
    QCOMPARE(form.State().Result().Fit().figures.m0, run->Fit().figures.m0);
    QCOMPARE(form.State().Result().messages.size(), run->messages.size());
  }

  // The guide goes to przewodnik.txt in Windows-1250: every line must survive the trip.
  void theGuideIsWindows1250Text() {
    for (const std::string& line : HelpText())
      QVERIFY2(textio::Cp1250ToUtf8(textio::Utf8ToCp1250(line)) == line, line.c_str());
  }

  void clearedSwitchSkipsItsFile() {
    QTemporaryDir folder;
    CopyDemo(folder, {"TRANSPKT.BIN", "PUNKTY.ept"});
    TForm2 form(folder.path().toStdString());
    form.CheckBox(3)->setChecked(false);
    ModalCloser closer;
    form.BitBtn1Click();
    QVERIFY(!QFile::exists(folder.filePath("Punkty.ep_")));
  }

  // "Pełna korekta jako potok PROJ" writes Korekta.json and Transformacja_pelna.proj; a run
  // without it removes that pair, which would describe the earlier fit. The fit line follows
  // the limit fields as they are typed, without another run.
  void fullPipelineSwitchAndTheLimitVerdict() {
    QTemporaryDir folder;
    CopyDemo(folder);
    TForm2 form(folder.path().toStdString());
    QVERIFY(!form.FullPipelineSwitch()->isChecked());
    form.FullPipelineSwitch()->setChecked(true);
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QVERIFY(QFile::exists(folder.filePath("Korekta.json")));
    QVERIFY(QFile::exists(folder.filePath("Transformacja_pelna.proj")));
    form.FullPipelineSwitch()->setChecked(false);
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QVERIFY(!QFile::exists(folder.filePath("Korekta.json")));
    QVERIFY(!QFile::exists(folder.filePath("Transformacja_pelna.proj")));
    // The demo's m0 is 0.0205 m.
    QVERIFY(!form.FitSummary()->text().contains("limity"));
    form.LimitM0Field()->setText("0,01");
    QVERIFY(form.FitSummary()->text().contains("limity: nie spełnia"));
    form.LimitM0Field()->setText("0,05");
    QVERIFY(form.FitSummary()->text().contains("limity: spełnia"));
    form.LimitM0Field()->clear();
    QVERIFY(!form.FitSummary()->text().contains("limity"));
  }

  // Mapa.gpkg of another fit than the last run's stays, greyed, and says so; the GIS menu
  // names a protocol of another fit alike.
  void outputsOfAnotherFitAreGreyed() {
    if (!GeoPackageAvailable()) QSKIP("this build has no GeoPackage export");
    QTemporaryDir folder;
    CopyDemo(folder);
    TForm2 form(folder.path().toStdString());
    form.GeoPackageSwitch()->setChecked(true);
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QVERIFY(QFile::exists(folder.filePath("Mapa.gpkg")));
    QVERIFY(form.Panel(slot::kGeoPackage)->toolTip().isEmpty());
    form.GeoPackageSwitch()->setChecked(false);
    form.UseModel(2, 2);
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QVERIFY(QFile::exists(folder.filePath("Mapa.gpkg")));
    QVERIFY2(form.Panel(slot::kGeoPackage)->toolTip().startsWith("z poprzedniego przebiegu"),
             qPrintable(form.Panel(slot::kGeoPackage)->toolTip()));
    form.StartUp();  // as at every activation of the main window
    QVERIFY(form.Panel(slot::kGeoPackage)->toolTip().startsWith("z poprzedniego przebiegu"));
    form.UseModel(1, 1);
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QVERIFY(form.Panel(slot::kGeoPackage)->toolTip().isEmpty());
  }

  void editorFindsCaseSensitivelyFromTheSelection() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("a.txt"), "abab\r\n");
    TForm4* editor = OpenInEditor(folder.filePath("a.txt"), nullptr);
    editor->FindText()->setText("ab");
    ModalCloser closer;
    editor->FindNext();
    QCOMPARE(editor->Text()->textCursor().selectionStart(), 0);
    editor->FindNext();
    QCOMPARE(editor->Text()->textCursor().selectionStart(), 2);
    QVERIFY(closer.texts.isEmpty());
    editor->FindNext();
    QCOMPARE(closer.texts, QStringList{"Nie można odnaleźć łańcucha"});
    QCOMPARE(closer.titles, QStringList{"Informacja"});
    QCOMPARE(editor->Text()->textCursor().selectionStart(), 2);
    editor->FindText()->setText("AB");
    editor->FindNext();
    QCOMPARE(closer.texts.size(), 2);
    delete editor;
  }

  void editorBoldAndSize() {
    TForm4 editor;
    QVERIFY(!editor.Text()->font().bold());
    editor.BoldClick();
    QVERIFY(editor.Text()->font().bold());
    editor.BoldClick();
    QVERIFY(!editor.Text()->font().bold());
    QCOMPARE(editor.Text()->font().pointSize(), 8);

    ModalCloser closer;
    QTest::keyClicks(editor.Edit1(), "");
    editor.Edit1()->setText("25");
    QTest::keyClick(editor.Edit1(), Qt::Key_Return);
    QCOMPARE(editor.Edit1()->text(), "8");
    editor.Edit1()->setText("4");
    QTest::keyClick(editor.Edit1(), Qt::Key_Return);
    QCOMPARE(editor.TrackBar1()->value(), 5);
    QCOMPARE(editor.Edit1()->text(), "5");
    QCOMPARE(editor.Text()->font().pointSize(), 5);
    editor.TrackBar1()->setValue(14);
    QCOMPARE(editor.Edit1()->text(), "14");
    QCOMPARE(editor.Text()->font().pointSize(), 14);
    editor.Edit1()->setText("x");
    QTest::keyClick(editor.Edit1(), Qt::Key_Return);
    QCOMPARE(closer.texts.size(), 1);
    QCOMPARE(editor.TrackBar1()->value(), 14);
  }

  // A GeoPackage (an SQLite database) never opens in the text editor, from its panel or
  // from the editor itself: it goes to the system's program, or a message says where it is.
  void binaryOutputsNeverOpenInTheEditor() {
    QTemporaryDir folder;
    CopyDemo(folder, {"TRANSPKT.BIN"});
    const QByteArray database = QByteArray("SQLite format 3\0", 16) + QByteArray(4096, '\1');
    WriteBytes(folder.filePath("Mapa.gpkg"), database);
    TForm2 form(folder.path().toStdString());
    QStringList handed;
    form.OpenExternallyWith([&](const QString& path) {
      handed << path;
      return false;  // no program for it on this system
    });
    {
      ModalCloser closer;
      form.OpenWorkingFile(slot::kGeoPackage);
      QCOMPARE(closer.texts.size(), 1);
      QVERIFY(closer.texts[0].contains(QDir::toNativeSeparators(folder.filePath("Mapa.gpkg"))));
    }
    QCOMPARE(handed.size(), 1);
    QVERIFY(form.findChildren<TForm4*>().isEmpty());
    {
      ModalCloser closer;
      QVERIFY(OpenInEditor(folder.filePath("Mapa.gpkg"), &form) == nullptr);
      QCOMPARE(closer.texts.size(), 1);
      QVERIFY(closer.texts[0].contains("nie jest plikiem tekstowym"));
    }
    QCOMPARE(ReadBytes(folder.filePath("Mapa.gpkg")), database);
    // Handed over, it says nothing more.
    form.OpenExternallyWith([](const QString&) { return true; });
    ModalCloser closer;
    form.OpenWorkingFile(slot::kGeoPackage);
    QVERIFY(closer.texts.isEmpty());
  }

  // A file opened as it is, empty or absent, and a new document are unmodified until the user
  // types: no "*" in the title.
  void editorOpensUnmodified() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("Pusty.txt"), "");
    for (const QString& name : {QString("Pusty.txt"), QString("Brak.txt")}) {
      TForm4* editor = OpenInEditor(folder.filePath(name), nullptr);
      QCoreApplication::processEvents();
      QVERIFY2(!editor->isWindowModified(), qPrintable(name));
      QVERIFY(!editor->Modified());
      editor->Nowy1Click();
      QCoreApplication::processEvents();
      QVERIFY2(!editor->isWindowModified(), qPrintable(name + " / nowy"));
      QTest::keyClicks(editor->Text(), "x");
      QVERIFY(editor->isWindowModified());
      editor->Text()->document()->setModified(false);
      delete editor;
    }
  }

  void editorNewDocumentIsSavedUnderAChosenName() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("Protokol.tra"), "raport\r\n");
    TForm4* editor = OpenInEditor(folder.filePath("Protokol.tra"), nullptr);
    QCOMPARE(editor->Text()->toPlainText(), "raport");
    editor->Nowy1Click();
    QCOMPARE(editor->Caption(), folder.path() + "/Nowy dokument");
    QVERIFY(editor->Text()->toPlainText().isEmpty());
    editor->Nowy1Click();
    QCOMPARE(editor->Caption(), folder.path() + "/Nowy dokument");
    editor->Text()->insertPlainText("Zażółć");
    QVERIFY(editor->Modified());
    ModalCloser closer;
    closer.saveAs = folder.filePath("nowy.txt");
    editor->Zapisz1Click();
    QVERIFY(!QFile::exists(folder.filePath("Nowy dokument")));
    QCOMPARE(ReadBytes(folder.filePath("nowy.txt")),
             QByteArray::fromStdString(textio::Utf8ToCp1250("Zażółć") + "\r\n"));
    QCOMPARE(editor->Caption(), folder.filePath("nowy.txt"));
    QVERIFY(!editor->Modified());
    delete editor;
  }

  // Escape closes the editor (an unchanged one at once) and the points window, as it closes
  // a dialog.
  void escapeClosesTheEditorAndThePointsWindow() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("a.txt"), "tekst\r\n");
    TForm4* editor = OpenInEditor(folder.filePath("a.txt"), nullptr);
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QTest::keyClick(editor->Text(), Qt::Key_Escape);
    QVERIFY(!editor->isVisible());
    delete editor;
    CopyDemo(folder);
    TForm2 form(folder.path().toStdString());
    RunAndShowPoints(form);
    AdjustmentPointsWindow* points = form.PointsWindow();
    QVERIFY(QTest::qWaitForWindowActive(points));
    QTest::keyClick(points->Points(), Qt::Key_Escape);
    QVERIFY(!points->isVisible());
  }

  // Unticking a point in the middle of the table refits, and every row stays where it
  // stood, in view: the refit lists the points it leaves out last, the table does not.
  void untickedRowStaysInPlace() {
    QTemporaryDir folder;
    CopyDemo(folder);
    TForm2 form(folder.path().toStdString());
    RunAndShowPoints(form);
    QTableWidget* points = form.PointsWindow()->Points();
    const QStringList before = RowNumbers(points);
    const int row = static_cast<int>(before.indexOf("110"));
    QVERIFY(row > 0 && row < points->rowCount() - 1);
    Untick(form, "110");
    QTRY_VERIFY(form.PointsWindow()->Notice()->text().startsWith("m0 przed → po"));
    QCOMPARE(RowNumbers(points), before);
    QCOMPARE(points->item(row, 0)->checkState(), Qt::Unchecked);
    QVERIFY(points->visualItemRect(points->item(row, 1)).intersects(points->viewport()->rect()));
  }

  void editorCloseQuestion() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("a.txt"), "tekst\r\n");
    TForm4* editor = OpenInEditor(folder.filePath("a.txt"), nullptr);
    QVERIFY(editor->isVisible());
    QVERIFY(!editor->Modified());
    editor->Text()->undo();
    editor->Cofnij1Click();
    QVERIFY(editor->Modified());
    QTest::keyClicks(editor->Text(), "X");
    {
      ModalCloser cancel(QMessageBox::Cancel);
      editor->ConfirmClose();
      QCOMPARE(cancel.texts, QStringList{"Czy zapisać zmiany ?"});
      QCOMPARE(cancel.titles, QStringList{"Veltra"});
      QVERIFY(editor->isVisible());
    }
    {
      ModalCloser no(QMessageBox::No);
      editor->ConfirmClose();
      QVERIFY(!editor->isVisible());
      QCOMPARE(ReadBytes(folder.filePath("a.txt")), QByteArray("tekst\r\n"));
    }
    editor->show();
    QTest::keyClicks(editor->Text(), "Y");
    {
      ModalCloser yes(QMessageBox::Yes);
      editor->ConfirmClose();
      QVERIFY(!editor->isVisible());
      QCOMPARE(ReadBytes(folder.filePath("a.txt")), QByteArray("XYtekst\r\n"));
    }
    delete editor;
  }

  void editorsActIndependently() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("a.txt"), "a\r\n");
    WriteBytes(folder.filePath("b.txt"), "b\r\n");
    TForm4* first = OpenInEditor(folder.filePath("a.txt"), nullptr);
    TForm4* second = OpenInEditor(folder.filePath("b.txt"), nullptr);
    QTest::keyClicks(first->Text(), "1");
    QTest::keyClicks(second->Text(), "2");
    first->Zapisz1Click();
    QCOMPARE(ReadBytes(folder.filePath("a.txt")), QByteArray("1a\r\n"));
    QCOMPARE(ReadBytes(folder.filePath("b.txt")), QByteArray("b\r\n"));
    QVERIFY(!first->Modified());
    QVERIFY(second->Modified());
    first->ConfirmClose();
    QVERIFY(!first->isVisible());
    QVERIFY(second->isVisible());
    delete first;
    delete second;
  }

  void missingFileOpensAsOneBlankLine() {
    QTemporaryDir folder;
    const QString path = folder.filePath("PROTOKOL1.txt");
    TForm4* editor = OpenInEditor(path, nullptr);
    QCOMPARE(editor->Caption(), path);
    QCOMPARE(editor->Text()->toPlainText(), " ");
    ModalCloser closer;
    editor->ConfirmClose();
    QVERIFY(closer.texts.isEmpty());
    QVERIFY(!editor->isVisible());
    delete editor;
  }

  void printsToAPdfFile() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("Protokol.tra"), "linia pierwsza\r\nłódź\r\n");
    TForm4* editor = OpenInEditor(folder.filePath("Protokol.tra"), nullptr);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(folder.filePath("wydruk.pdf"));
    editor->PrintTo(printer);
    QCOMPARE(printer.docName(), "Protokol.tra");
    QVERIFY(ReadBytes(folder.filePath("wydruk.pdf")).startsWith("%PDF"));
    delete editor;
  }

  void helpWindowsAreIndependent() {
    QTemporaryDir folder;
    TForm2 form(folder.path().toStdString());
    QTest::mouseClick(form.Image2(), Qt::LeftButton);
    QTest::mouseClick(form.Image2(), Qt::LeftButton);
    QList<TForm1*> help = form.findChildren<TForm1*>();
    QCOMPARE(help.size(), 2);
    QCOMPARE(help[0]->windowTitle(), "Pomoc");
    QCOMPARE(help[0]->size(), QSize(470, 348));
    // The guide describes this program: its input file and tool, the folder chooser and
    // the batch program; its lines wrap, with no horizontal scroll bar.
    const QString guide = help[0]->Memo()->toPlainText();
    for (const char* words : {"TRANSPKT.BIN", "zornak_transpkt xy1 xy2 TRANSPKT.BIN",
                              "\"Zmień folder...\"", "zornak_batch", "err.tra"}) {
      QVERIFY2(guide.contains(QString::fromUtf8(words)), words);
    }
    QVERIFY(!guide.contains("dane muszą leżeć"));
    QCOMPARE(help[0]->Memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QVERIFY(help[0]->Memo()->toPlainText().contains(" CEL, PRZEZNACZENIE PROGRAMU"));
    help[0]->Memo()->insertPlainText("notatka");
    QPointer<TForm1> closed = help[0];
    help[0]->close();
    QTRY_VERIFY(closed.isNull());
    QCOMPARE(form.findChildren<TForm1*>().size(), 1);
    QTest::mouseClick(form.Image2(), Qt::LeftButton);
    for (TForm1* window : form.findChildren<TForm1*>()) {
      QVERIFY(!window->Memo()->toPlainText().contains("notatka"));
    }
  }

  void panelClickOpensAnEditorOnTheFullPath() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("DZIALKI.edz"), "  1.12-1\r\n");
    TForm2 form(folder.path().toStdString());
    QTest::mouseClick(form.Panel(2), Qt::LeftButton);
    QTest::mouseClick(form.Panel(2), Qt::LeftButton);
    const QList<TForm4*> editors = form.findChildren<TForm4*>();
    QCOMPARE(editors.size(), 2);
    QCOMPARE(Slashes(editors[0]->Caption()), folder.filePath("DZIALKI.edz"));
    // Each editor stands inside the screen, the second not on top of the first.
    const QRect screen = form.screen()->availableGeometry();
    for (const TForm4* editor : editors)
      QVERIFY2(screen.contains(editor->frameGeometry()), qPrintable(QString("%1,%2 %3x%4 in %5x%6")
                                                                        .arg(editor->x())
                                                                        .arg(editor->y())
                                                                        .arg(editor->width())
                                                                        .arg(editor->height())
                                                                        .arg(screen.width())
                                                                        .arg(screen.height())));
    QVERIFY(editors[1]->frameGeometry() != editors[0]->frameGeometry());
    QCOMPARE(editors[0]->Text()->toPlainText(), "  1.12-1");
  }

  // Standard buttons and dialogs speak Polish: Qt's own translation is loaded.
  void polishButtonTexts_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("editor close question") << 0 << QStringList{"&Tak", "&Nie", "Anuluj"};
    QTest::newRow("folder dialog") << 1 << QStringList{"&Wybierz", "Anuluj"};
  }
  void polishButtonTexts() {
    QFETCH(int, dialog);
    QFETCH(QStringList, expected);
    QTemporaryDir folder;
    WriteBytes(folder.filePath("a.txt"), "a\r\n");
    TForm2 form(folder.path().toStdString());
    ModalCloser closer(QMessageBox::Cancel);
    if (dialog == 0) {
      TForm4* editor = OpenInEditor(folder.filePath("a.txt"), &form);
      QTest::keyClicks(editor->Text(), "X");
      editor->ConfirmClose();
      editor->Text()->document()->setModified(false);
    } else {
      form.ChooseFolder();
    }
    QCOMPARE(closer.buttons.size(), 1);
    const QStringList shown = closer.buttons[0].split('|');
    for (const QString& text : expected)
      QVERIFY2(shown.contains(text), qPrintable(closer.buttons[0]));
  }

  void editorToolbarIsWholeAtItsOwnWidth() {
#ifdef _WIN32
    QSKIP(
        "Qt's offscreen platform under Wine has no fonts to lay the toolbar out with; the "
        "Windows script starts the program on Qt's Windows platform instead");
#endif
    TForm4 editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    // Every command of every toolbar stands whole inside the window at the size it opens
    // with, and none is pushed into a toolbar's overflow menu.
    int shown = 0;
    for (QToolBar* bar : editor.findChildren<QToolBar*>()) {
      for (QAction* a : bar->actions()) {
        QWidget* button = bar->widgetForAction(a);
        if (a->isSeparator() || !button) continue;
        QVERIFY2(button->isVisible(), qPrintable(a->text()));
        const QRect place(button->mapTo(&editor, QPoint(0, 0)), button->size());
        QVERIFY2(editor.rect().contains(place), qPrintable(a->text()));
        ++shown;
      }
    }
    QVERIFY(shown > 10);
    QVERIFY(editor.CloseButton()->isVisible());
    const QRect close(editor.CloseButton()->mapTo(&editor, QPoint(0, 0)),
                      editor.CloseButton()->size());
    QVERIFY(editor.rect().contains(close));
  }

  // Each command that has an icon shows one that loads (on Windows the icons travel with the
  // program): no blank button.
  void editorShowsStandardIcons() {
    TForm4 editor;
    int icons = 0;
    for (const QAction* a : editor.findChildren<QAction*>()) {
      if (a->icon().isNull()) continue;
      QVERIFY2(!a->icon().pixmap(QSize(16, 16)).isNull(), qPrintable(a->text()));
      ++icons;
    }
    QVERIFY(icons >= 7);
  }

  // A run on a folder that takes no file: one message, and the panels show only files that
  // exist (the tests run as an unprivileged user, so permissions hold).
  void noPanelLitForAFileThatDoesNotExist() {
#ifdef _WIN32
    QSKIP(
        "folder permissions do not hold under Wine as root; the Windows script tries a "
        "read-only folder with zornak_batch.exe as an unprivileged user");
#endif
    QTemporaryDir folder;
    CopyDemo(folder, {"TRANSPKT.BIN", "PUNKTY.ept"});
    TForm2 form(folder.path().toStdString());
    QFile::setPermissions(folder.path(),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    ModalCloser closer;
    form.BitBtn1Click();
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(closer.texts.size(), 1);
    QVERIFY(closer.texts[0].startsWith("Nie można zapisywać w folderze roboczym " + folder.path() +
                                       ": "));
    for (int slot = 1; slot <= kWorkingFileSlots; ++slot) {
      if (!form.Panel(slot)) continue;
      const bool exists = form.State().files.SlotFileExists(slot);
      QCOMPARE(Background(form.Panel(slot)) != ColourOf(SystemColour::BtnFace), exists);
    }
    QVERIFY(form.Edit(12)->text().isEmpty());
  }

  void modifiedEditorStopsTheClose() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("Protokol.tra"), "raport\r\n");
    TForm2 form(folder.path().toStdString());
    form.show();
    QTest::mouseClick(form.Panel(slot::kReport), Qt::LeftButton);
    TForm4* editor = form.findChild<TForm4*>();
    QVERIFY(editor);
    QTest::keyClicks(editor->Text(), "uwaga ");
    {
      ModalCloser cancel(QMessageBox::Cancel);
      QVERIFY(!form.close());
      QVERIFY(form.isVisible());
      QStringList buttons = cancel.buttons.value(0).split('|');
      buttons.sort();
      QCOMPARE(buttons, (QStringList{"Anuluj", "Odrzuć", "Zapisz"}));
      QVERIFY(Slashes(cancel.texts[0]).contains(folder.filePath("Protokol.tra")));
    }
    {
      ModalCloser save(QMessageBox::Save);
      QVERIFY(form.close());
    }
    QCOMPARE(ReadBytes(folder.filePath("Protokol.tra")), QByteArray("uwaga raport\r\n"));
  }

  void skipOfferFromTheFourthBoxOfAKind() {
    QTemporaryDir folder;
    std::filesystem::copy_file(std::string(ZORNAK_DEMO_FOLDER) + "/TRANSPKT.BIN",
                               folder.path().toStdString() + "/TRANSPKT.BIN");
    QByteArray parcels;
    for (int k = 1; k <= 6; ++k)
      parcels += "  1.12-" + QByteArray::number(k) + "\r\n5567000 7456000 x 7456001\r\n0\r\n";
    WriteBytes(folder.filePath("DZIALKI.edz"), parcels);
    TForm2 form(folder.path().toStdString());
    ModalCloser closer;
    closer.choose = [](QMessageBox* box) -> QAbstractButton* {
      for (QAbstractButton* b : box->buttons()) {
        if (b->text() == "Pomiń kolejne") return b;
      }
      return nullptr;
    };
    form.BitBtn1Click();
    QCOMPARE(closer.texts.size(), 5);  // four numeric errors, then the closing box
    for (int k = 0; k < 3; ++k)
      QCOMPARE(closer.buttons[k], "OK");
    QVERIFY(closer.buttons[3].contains("Pomiń kolejne"));
    QCOMPARE(closer.texts[4], " Koniec obliczeń - ZORNAK_EDZ");
    const QByteArray protocol = ReadBytes(folder.filePath("Protokol1.txt"));
    QCOMPARE(protocol.count("Wykryto b\xb3\xb9"
                            "d liczbowy"),
             6);
  }

  void choosingAFolderRelightsThePanels() {
    QTemporaryDir first, second;
    WriteBytes(first.filePath("DZIALKI.edz"), "");
    WriteBytes(second.filePath("PUNKTY.ept"), "");
    WriteBytes(second.filePath("err.tra"), "");
    TForm2 form(first.path().toStdString());
    QCOMPARE(Background(form.Panel(slot::kParcels)), ColourOf(SystemColour::InfoBk));
    ModalCloser closer;
    closer.saveAs = second.path();
    QTest::mouseClick(form.FolderButton(), Qt::LeftButton);
    QCOMPARE(Slashes(form.StatusBarText()), " Folder roboczy = " + second.path());
    QCOMPARE(Background(form.Panel(slot::kParcels)), ColourOf(SystemColour::BtnFace));
    QCOMPARE(Background(form.Panel(slot::kPoints)), ColourOf(SystemColour::InfoBk));
    QCOMPARE(Background(form.Panel(slot::kErrors)), ColourOf(SystemColour::Window));
    QCOMPARE(Slashes(QString::fromStdString(form.WorkingFolder())), second.path());
  }

  // Counters, status and the fit line belong to one run of one folder: a new folder, a
  // refused run and a run without a fit leave none of the previous run's figures.
  void noLeftoversOfAnEarlierRun() {
    QTemporaryDir demo, empty, readOnly, noFit;
    CopyDemo(demo);
    CopyDemo(readOnly, {"DZIALKI.edz"});
    CopyDemo(noFit, {"DZIALKI.edz"});
    TForm2 form(demo.path().toStdString());
    form.AnswerSuspectQuestion(true);
    auto runIn = [&form](const QTemporaryDir& folder) {
      form.UseFolder(folder.path().toStdString());
      ModalCloser closer;
      form.BitBtn1Click();
    };
    auto countersEmpty = [&form] {
      for (int n : {1, 2, 3, 4, 5, 8, 9, 10, 12, 13, 14}) {
        if (!form.Edit(n)->text().isEmpty()) return false;
      }
      return true;
    };
    runIn(demo);
    QVERIFY(!countersEmpty());
    QVERIFY(!form.FitSummary()->text().isEmpty());

    form.UseFolder(empty.path().toStdString());
    QVERIFY(countersEmpty());
    QVERIFY(form.Edit7()->isHidden());
    QVERIFY(form.FitSummary()->text().isEmpty());

#ifndef _WIN32  // folder permissions do not hold under Wine as root
    runIn(demo);
    QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::ExeOwner);
    runIn(readOnly);
    QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(countersEmpty());
    QVERIFY(form.Edit7()->text().contains("przerwane"));
    QVERIFY(form.FitSummary()->text().isEmpty());
#endif

    runIn(demo);
    runIn(noFit);
    QVERIFY(countersEmpty());
    QCOMPARE(form.Edit7()->text(), " brak transformacji - pliki mapy nie zostały przeliczone");
    // The real reason: this folder has no TRANSPKT.BIN at all.
    QCOMPARE(form.FitSummary()->text(),
             "Brak transformacji: brak pliku TRANSPKT.BIN lub nie można go otworzyć");
  }

#ifndef _WIN32  // the user's home is set for the test; Wine's Documents are its own
  // A new user's first start: the chooser opens in Documents (home without them), and the
  // example installed with the program opens as a copy there, ready to run.
  void aFirstStartOffersTheExample() {
    QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    QVERIFY(!InstalledExample().empty());
    {
      TForm2 form;
      QVERIFY(!form.HasFolder());
      {
        ModalCloser cancel;
        form.ChooseFolder();
        QCOMPARE(cancel.folders, QStringList{home.path()});
      }
      QVERIFY(form.OpenExample());
      const QString copy = home.filePath("ZORNAK_edz przykład");
      QCOMPARE(Slashes(QString::fromStdString(form.WorkingFolder())), copy);
      QVERIFY(QFile::exists(copy + "/TRANSPKT.BIN"));
      {
        ModalCloser closer;
        form.BitBtn1Click();
      }
      QVERIFY(QFile::exists(copy + "/Dzialki.ed_"));
      // A second time: a new copy beside the first, which keeps the user's work.
      QVERIFY(form.OpenExample());
      QCOMPARE(Slashes(QString::fromStdString(form.WorkingFolder())), copy + " (2)");
      QVERIFY(QFile::exists(copy + "/Dzialki.ed_"));
      // The installed example itself is untouched.
      QVERIFY(!QFile::exists(QString::fromStdString(InstalledExample()) + "/Protokol.tra"));
    }
    qputenv("HOME", realHome);
  }
#endif

  // Without a folder nothing can run; a chosen one is remembered and offered next time, and
  // an argument naming a file works in the file's folder.
  void startWithoutAFolder() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("TRANSPKT.BIN"), "");
    {
      TForm2 form;
      QCOMPARE(form.StatusBarText(), " Nie wybrano folderu roboczego");
      QVERIFY(!form.BitBtn1()->isEnabled());
      {
        ModalCloser cancel;
        form.ChooseFolder();
      }
      QVERIFY(!form.BitBtn1()->isEnabled());
      QVERIFY(!form.HasFolder());
      ModalCloser choose;
      choose.saveAs = folder.path();
      form.ChooseFolder();
      QVERIFY(form.BitBtn1()->isEnabled());
    }
    QCOMPARE(Slashes(RecentFolders()), QStringList{folder.path()});
    TForm2 again;
    QCOMPARE(Slashes(QString::fromStdString(again.WorkingFolder())), folder.path());
    QVERIFY(again.BitBtn1()->isEnabled());
    QCOMPARE(Slashes(QString::fromStdString(FolderOfArgument(folder.filePath("TRANSPKT.BIN")))),
             folder.path());
    QCOMPARE(Slashes(QString::fromStdString(FolderOfArgument(folder.path()))), folder.path());
    QVERIFY(FolderOfArgument(folder.filePath("brak")).empty());
    // A folder that is gone is not offered.
    QTemporaryDir gone;
    RememberFolder(gone.path());
    gone.remove();
    QCOMPARE(Slashes(RecentFolders()), QStringList{folder.path()});
  }

  // An existing file's panel differs from an absent one's by more than colour: bold name and
  // a frame; every caption colour reads on every panel colour (WCAG contrast of 4.5 or more).
  void litPanelsHaveACueBesideColour() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("DZIALKI.edz"), "");
    WriteBytes(folder.filePath("err.tra"), "");
    TForm2 form(folder.path().toStdString());
    QVERIFY(TForm2::ShowsPresent(form.Panel(slot::kParcels)));
    QVERIFY(TForm2::ShowsPresent(form.Panel(slot::kErrors)));
    QVERIFY(!TForm2::ShowsPresent(form.Panel(slot::kPoints)));
    auto luminance = [](const QColor& c) {
      auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
      };
      return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
             0.0722 * channel(c.blueF());
    };
    for (int slot = 1; slot <= kWorkingFileSlots; ++slot) {
      if (!form.Panel(slot)) continue;
      const QColor text = form.Panel(slot)->palette().color(QPalette::WindowText);
      for (SystemColour back :
           {SystemColour::BtnFace, SystemColour::InfoBk, SystemColour::Window}) {
        const double a = luminance(text), b = luminance(ColourOf(back));
        QVERIFY((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 4.5);
      }
    }
  }

  // A file changed on disk: an unmodified text follows it and says so; a modified one asks;
  // saving over a file changed since it was read asks first.
  void editorFollowsItsFileOnDisk() {
    QTemporaryDir folder;
    const QString path = folder.filePath("Protokol.tra");
    WriteBytes(path, "stary\r\n");
    TForm4* editor = OpenInEditor(path, nullptr);
    auto replace = [&](const QByteArray& bytes) {
      // As the run writes: a new file renamed over the old one.
      WriteBytes(path + ".new", bytes);
      QFile::remove(path);
      QVERIFY(QFile::rename(path + ".new", path));
    };
    replace("nowy\r\n");
    QTRY_COMPARE(editor->Text()->toPlainText(), "nowy");
    QVERIFY(!editor->Modified());
    QVERIFY(editor->statusBar()->currentMessage().contains("wczytano"));

    QTest::keyClicks(editor->Text(), "moje ");
    {
      ModalCloser closer;
      closer.choose = [](QMessageBox* box) { return box->buttons().value(1); };
      replace("trzeci\r\n");
      QTRY_COMPARE(closer.texts.size(), 1);
      QVERIFY(closer.buttons[0].contains("Zachowaj moje"));
      // Enter keeps the user's text: reloading would lose it.
      QCOMPARE(closer.defaults[0], "Zachowaj moje");
    }
    QVERIFY(editor->Text()->toPlainText().contains("moje"));
    {
      ModalCloser closer;
      closer.choose = [](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons()) {
          if (b->text() == "Anuluj") return b;
        }
        return static_cast<QAbstractButton*>(nullptr);
      };
      editor->Zapisz1Click();
      QCOMPARE(closer.texts.size(), 1);
      QVERIFY(closer.texts[0].contains("po otwarciu"));
      // Enter does not overwrite what another program wrote.
      QCOMPARE(closer.defaults[0], "Anuluj");
    }
    QCOMPARE(ReadBytes(path), QByteArray("trzeci\r\n"));
    QVERIFY(editor->Modified());
    {
      ModalCloser closer;
      closer.choose = [](QMessageBox* box) { return box->buttons().value(0); };
      editor->Zapisz1Click();
    }
    QVERIFY(ReadBytes(path).contains("moje"));
    QVERIFY(!editor->Modified());
    // Its own save is no change from outside.
    QTest::qWait(400);
    QVERIFY(editor->Text()->toPlainText().contains("moje"));
    {
      ModalCloser closer;
      closer.choose = [](QMessageBox* box) { return box->buttons().value(0); };
      QTest::keyClicks(editor->Text(), "x");
      replace("czwarty\r\n");
      QTRY_COMPARE(editor->Text()->toPlainText(), "czwarty");
    }
    QVERIFY(!editor->Modified());
    delete editor;
  }

  // The commands' keys stand in the menus; the first window shows the widest line whole.
  void editorShortcutsAndWidth() {
    QTemporaryDir folder;
    const QByteArray wide(110, 'W');
    WriteBytes(folder.filePath("Protokol.tra"), "krotki\r\n" + wide + "\r\n");
    TForm4* editor = OpenInEditor(folder.filePath("Protokol.tra"), nullptr);
    QStringList keys;
    for (const QAction* a : editor->findChildren<QAction*>())
      keys << a->shortcut().toString();
    for (const char* key : {"Ctrl+F", "F3", "Ctrl+S", "Ctrl+P", "Ctrl+W"})
      QVERIFY2(keys.contains(key), key);
    const int needed = QFontMetrics(editor->Text()->font()).horizontalAdvance(QString(wide));
    const int limit = editor->screen()->availableGeometry().width();
    QVERIFY(editor->Text()->viewport()->width() >= std::min(needed, limit - 100));
    editor->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QTest::keyClick(editor->Text(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(editor->FindDialog()->isVisible());
    delete editor;
  }

  // Beside the main window where it covers least of it, always inside the screen: at
  // 1600x1000 the window fits beside; at 1366x768 it has to overlap, as little as any place.
  void placementBesideTheMainWindow_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("main");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QRect>>("others");
    QTest::addColumn<QRect>("expected");
    const QList<QRect> none;
    QTest::newRow("1600x1000, right") << QRect(0, 0, 1600, 1000) << QRect(0, 0, 808, 650)
                                      << QSize(700, 600) << none << QRect(816, 0, 700, 600);
    QTest::newRow("1600x1000, main on the right, left")
        << QRect(0, 0, 1600, 1000) << QRect(790, 100, 808, 650) << QSize(700, 600) << none
        << QRect(82, 100, 700, 600);
    QTest::newRow("1366x768, least overlap")
        << QRect(0, 0, 1366, 768) << QRect(0, 0, 808, 650) << QSize(1000, 680) << none
        << QRect(366, 88, 1000, 680);
    QTest::newRow("larger than the screen") << QRect(0, 24, 1366, 744) << QRect(0, 24, 808, 650)
                                            << QSize(2000, 900) << none << QRect(0, 24, 1366, 744);
    // Beside the main window on the right stands the points window: below the main window
    // is free of both.
    const QRect points(816, 0, 700, 600), map(0, 658, 800, 342);
    QTest::newRow("right taken: below")
        << QRect(0, 0, 1600, 1000) << QRect(0, 0, 808, 650) << QSize(500, 300)
        << QList<QRect>{points} << QRect(0, 658, 500, 300);
    // Right and below taken: every place that misses the main window covers one of them
    // (150,000, 150,000, 124,800 px) but the bottom right corner, which covers none.
    QTest::newRow("right and below taken: bottom right")
        << QRect(0, 0, 1600, 1000) << QRect(0, 0, 808, 650) << QSize(500, 300)
        << QList<QRect>{points, map} << QRect(1100, 700, 500, 300);
    QTest::newRow("the same, listed the other way")
        << QRect(0, 0, 1600, 1000) << QRect(0, 0, 808, 650) << QSize(500, 300)
        << QList<QRect>{map, points} << QRect(1100, 700, 500, 300);
  }
  void placementBesideTheMainWindow() {
    QFETCH(QRect, screen);
    QFETCH(QRect, main);
    QFETCH(QSize, size);
    QFETCH(QList<QRect>, others);
    QFETCH(QRect, expected);
    const QRect place = PlaceBeside(main, size, screen, others);
    QCOMPARE(place, expected);
    // No place on a 2-pixel grid covers less of the main window.
    const QRect overlap = place.intersected(main);
    const long long least = overlap.isEmpty() ? 0LL : 1LL * overlap.width() * overlap.height();
    for (int x = screen.left(); x + place.width() <= screen.right() + 1; x += 2) {
      for (int y = screen.top(); y + place.height() <= screen.bottom() + 1; y += 2) {
        const QRect other = QRect(QPoint(x, y), place.size()).intersected(main);
        if (!other.isEmpty()) QVERIFY(1LL * other.width() * other.height() >= least);
      }
    }
  }

  // On 1366x768 (less a 24-pixel panel) with the main window at the top left, the band right
  // of it, 1366 - 816 - 8 = 542 px wide, is the largest free one: a window too big to stand
  // anywhere off the main window takes it; on 1600x1000 there is no need.
  void largestBandBesideTheMainWindow() {
    const QRect small(0, 24, 1366, 744), main(0, 24, 816, 650);
    QCOMPARE(LargestBandBeside(main, small), QRect(824, 24, 542, 744));
    const QRect centred(275, 59, 816, 650);  // 275 px free on either side: too narrow
    QCOMPARE(LargestBandBeside(centred, small), QRect(1099, 24, 267, 744));  // right first
    QVERIFY(LargestBandBeside(centred, small).width() < kWorkingSize.width());
  }

  // A place remembered on a larger screen comes back inside the smaller one: every window
  // left at 1600x1000 stands wholly on a 1366x768 screen (less a 24-pixel panel).
  void rememberedPlacesFitTheScreenOfToday() {
    const QRect small(0, 24, 1366, 744);
    const QRect saved[] = {{790, 380, 808, 625},   // the main window, bottom right
                           {1100, 100, 500, 600},  // "Punkty dostosowania", off the right
                           {300, 500, 900, 500},   // "Mapa odchyłek", off the bottom
                           {-50, -10, 1600, 1000}};
    for (const QRect& frame : saved) {
      const QRect fitted = FitOnScreen(frame, small);
      QVERIFY2(small.contains(fitted), qPrintable(QString("%1,%2 %3x%4")
                                                      .arg(fitted.x())
                                                      .arg(fitted.y())
                                                      .arg(fitted.width())
                                                      .arg(fitted.height())));
      // Moved, not shrunk, when it fits.
      if (frame.width() <= small.width() && frame.height() <= small.height())
        QCOMPARE(fitted.size(), frame.size());
    }
    QCOMPARE(FitOnScreen({790, 380, 808, 625}, small), QRect(558, 143, 808, 625));
    QCOMPARE(FitOnScreen({100, 100, 500, 400}, small), QRect(100, 100, 500, 400));
  }

  // A window comes back where the user left it, in the next session too.
  void windowsKeepTheirPlace() {
    QTemporaryDir folder;
    CopyDemo(folder, {"TRANSPKT.BIN"});
    QRect left;
    {
      TForm2 form(folder.path().toStdString());
      form.show();
      form.ShowAdjustmentPoints();
      form.PointsWindow()->setGeometry(40, 60, 500, 400);
      left = form.PointsWindow()->geometry();
      form.PointsWindow()->close();
    }
    TForm2 form(folder.path().toStdString());
    form.ShowAdjustmentPoints();
    QCOMPARE(form.PointsWindow()->geometry(), left);
  }

  // "Raport PDF...": proposed in the working folder, written with the executor, who is
  // remembered for the next session.
  void pdfReportFromTheMainWindow() {
    QTemporaryDir folder;
    CopyDemo(folder);
    {
      TForm2 form(folder.path().toStdString());
      form.Executor()->setText("Jan Kowalski");
      {
        ModalCloser closer;
        form.BitBtn1Click();
      }
      ModalCloser closer;
      closer.saveAs = folder.filePath("Raport.pdf");
      QTest::mouseClick(form.ReportButton(), Qt::LeftButton);
      QVERIFY(closer.texts.isEmpty());
    }
    QVERIFY(ReadBytes(folder.filePath("Raport.pdf")).startsWith("%PDF"));
#ifndef _WIN32  // no PDF reader inside Wine; the report's text is checked on Linux
    QProcess text;
    text.start("pdftotext", {folder.filePath("Raport.pdf"), "-"});
    QVERIFY(text.waitForFinished());
    const QString said = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(said.contains("Wykonawca") && said.contains("Jan Kowalski"), qPrintable(said));
#endif
    TForm2 again(folder.path().toStdString());
    QCOMPARE(again.Executor()->text(), "Jan Kowalski");
  }

  void newDocumentIsBornUnmodified() {
    TForm4 editor;
    editor.Nowy1Click();
    QVERIFY(!editor.Modified());
    QTest::keyClicks(editor.Text(), "a");
    QVERIFY(editor.Modified());
  }
  // The window of the adjustment points: a tick rewrites Wykluczone.txt; a chosen model
  // goes to the selectors, survives the start-up pass, and the next run uses it.
  void adjustmentPointsWindow() {
    QTemporaryDir folder;
    CopyDemo(folder);
    TForm2 form(folder.path().toStdString());
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QTest::mouseClick(form.PointsButton(), Qt::LeftButton);
    AdjustmentPointsWindow* window = form.PointsWindow();
    QVERIFY(window && window->isVisible());
    QTableWidget* points = window->Points();
    QCOMPARE(points->rowCount(), 36);
    int flagged = 0;
    for (int row = 0; row < points->rowCount(); ++row)
      flagged += points->item(row, 13)->text().startsWith("***") ? 1 : 0;
    // The demo's corner points lie far out (high leverage), but none is a blunder.
    QCOMPARE(flagged, 0);
    const QList<QTableWidgetItem*> found = points->findItems("PD-136", Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(form.MapButton(), Qt::LeftButton);
    const long double m0Before =
        form.State().Result().Transformation().FittedTransformation.figures.m0;
    const QByteArray protocol = ReadBytes(folder.filePath("Protokol.tra"));
    const QStringList rowsBefore = RowNumbers(points);
    const int row136 = found[0]->row();
    // The map is the run's own: with its files moved away, the tick's views still draw it.
    const std::size_t outlines = form.MapWindow()->Canvas()->Data().outlines.size();
    QCOMPARE(outlines, std::size_t{12});  // 9 parcels and 3 contours
    QDir(folder.path()).mkdir("away");
    const QStringList mapFiles = {"Dzialki.ed_", "Kontury.ed_", "DZIALKI.edz", "KONTURY.edz"};
    for (const QString& name : mapFiles)
      QVERIFY(QFile::rename(folder.filePath(name), folder.filePath("away/" + name)));
    points->setCurrentItem(points->item(found[0]->row(), 0));
    points->item(found[0]->row(), 0)->setCheckState(Qt::Unchecked);
    QCOMPARE(ReadBytes(folder.filePath("Wykluczone.txt")),
             QByteArray("# Punkty wy\xb3\xb9"
                        "czone z dopasowania (ZORNAK_edz)\r\nPD-136\r\n"));
    // The tick refits in memory at once: table, map and fit line show the fit without the
    // point, and the files wait for WYKONAJ.
    QTRY_VERIFY(window->Notice()->text().startsWith("m0 przed → po"));
    QVERIFY(window->Notice()->text().contains("WYKONAJ"));
    const TransformationResult& live = form.State().Result().Transformation();
    QCOMPARE(live.excluded, 1);
    QVERIFY(live.FittedTransformation.figures.m0 != m0Before);
    QCOMPARE(form.MapWindow()->Canvas()->Data().m0, live.FittedTransformation.figures.m0);
    QCOMPARE(form.MapWindow()->Canvas()->Data().pointsUsed, 35);
    QCOMPARE(form.MapWindow()->Canvas()->Data().outlines.size(), outlines);
    for (const QString& name : mapFiles)
      QVERIFY(QFile::rename(folder.filePath("away/" + name), folder.filePath(name)));
    QVERIFY(form.FitSummary()->text().contains("wyłączone: 1"));
    // The point just unticked is still the selected row, and stands where it stood, with
    // every other row in its place (the refit lists the points it leaves out last).
    const QList<QTableWidgetItem*> kept = points->selectedItems();
    QVERIFY(!kept.isEmpty());
    QCOMPARE(points->item(kept.first()->row(), 1)->text(), QString("PD-136"));
    QCOMPARE(kept.first()->row(), row136);
    QCOMPARE(RowNumbers(points), rowsBefore);
    QCOMPARE(ReadBytes(folder.filePath("Protokol.tra")), protocol);
    // Ticked again: the exclusions are those of the files, and the note says so.
    points->item(points->findItems("PD-136", Qt::MatchExactly)[0]->row(), 0)
        ->setCheckState(Qt::Checked);
    QTRY_VERIFY(window->Notice()->text().contains("Wyłączenia jak w plikach wynikowych"));
    QVERIFY(!window->Notice()->text().contains("poprzedniego przebiegu"));
    QCOMPARE(form.State().Result().Fit().figures.m0, m0Before);
    QVERIFY(!form.State().Result().refitted);
    points->item(points->findItems("PD-136", Qt::MatchExactly)[0]->row(), 0)
        ->setCheckState(Qt::Unchecked);
    QTRY_VERIFY(window->Notice()->text().contains("poprzedniego przebiegu"));

    QTableWidget* models = window->Models();
    int general2 = -1;
    for (int row = 0; row < models->rowCount(); ++row) {
      if (models->item(row, 0)->data(Qt::UserRole).toInt() == 2 &&
          models->item(row, 1)->data(Qt::UserRole).toInt() == 2) {
        general2 = row;
      }
    }
    QVERIFY(general2 >= 0);
    models->selectRow(general2);
    QTest::mouseClick(window->UseModelButton(), Qt::LeftButton);
    QCOMPARE(form.Request().model.TransformKind, 2);
    QCOMPARE(form.Request().model.TransformDegree, 2);
    form.StartUp();  // as at every activation of the main window
    QCOMPARE(form.Request().model.TransformKind, 2);
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QCOMPARE(form.State().Result().model.TransformKind, 2);
    QCOMPARE(form.State().Result().model.TransformDegree, 2);
    QVERIFY(ReadBytes(folder.filePath("Protokol.tra")).contains("stopnia 2"));
    QCOMPARE(form.State().Result().Transformation().excluded, 1);
    // The window refreshed after the run: the point stays unticked, as a control point.
    const QList<QTableWidgetItem*> again = points->findItems("PD-136", Qt::MatchExactly);
    QCOMPARE(points->item(again[0]->row(), 0)->checkState(), Qt::Unchecked);
  }
  // A blunder among the points: the question comes before any map file is converted, and
  // "Nie przeliczaj" converts nothing and opens the points with the proposal selected. The
  // demo asks nothing; the fit line names m0 and the suspect points.
  void questionBeforeTheMaps() {
    QTemporaryDir clean;
    CopyDemo(clean);
    TForm2 demo(clean.path().toStdString());
    QVERIFY(demo.FitSummary()->text().isEmpty());
    {
      ModalCloser closer;
      demo.BitBtn1Click();
      QCOMPARE(closer.texts.size(), 1);  // the closing box only
    }
    QVERIFY(demo.FitSummary()->text().contains("podejrzane: 0"));
    QVERIFY(demo.FitSummary()->text().startsWith("m0 = 0.0205 m"));

    QTemporaryDir folder;
    CopyDemo(folder);
    MoveOnePoint(folder.filePath("TRANSPKT.BIN"), "120", 0.5L);
    TForm2 form(folder.path().toStdString());
    {
      ModalCloser closer;
      form.BitBtn1Click();  // the first run converts
      QVERIFY(closer.texts.size() >= 2);
      QVERIFY(closer.texts[0].startsWith("Punkty podejrzane: 120 (T = "));
      QVERIFY(closer.texts[0].contains("Korekta Hausbrandta przeniesie ich błędy na mapę."));
    }
    QVERIFY(form.FitSummary()->text().contains("podejrzane: 1"));
    QVERIFY(form.FitSummary()->text().contains("color:#c00000"));
    const QByteArray converted = ReadBytes(folder.filePath("Dzialki.ed_"));
    QVERIFY(!converted.isEmpty());
    WriteBytes(folder.filePath("Dzialki.ed_"), "earlier run");
    form.AnswerSuspectQuestion(false);
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QCOMPARE(ReadBytes(folder.filePath("Dzialki.ed_")), QByteArray("earlier run"));
    QVERIFY(form.PointsWindow() && form.PointsWindow()->isVisible());
    QTableWidget* points = form.PointsWindow()->Points();
    const QList<QTableWidgetItem*> selected = points->selectedItems();
    QVERIFY(!selected.isEmpty());
    QCOMPARE(points->item(selected.first()->row(), 1)->text(), QString("120"));
    // Selected, the flagged row is still red, a dark red, not the colour of other selections.
    points->scrollToItem(selected.first());
    const QImage shown = points->viewport()->grab().toImage();
    const QRect cell = points->visualItemRect(points->item(selected.first()->row(), 4));
    const QColor colour = shown.pixelColor(cell.left() + 2, cell.center().y());
    QVERIFY2(colour.red() > 140 && colour.green() < 60 && colour.blue() < 60,
             qPrintable(colour.name()));
    // At the window's own width (where the screen has it) every column shows, the remarks
    // included.
    form.PointsWindow()->resize(1180, 640);
    QCoreApplication::processEvents();
    QVERIFY2(points->horizontalHeader()->length() <= points->viewport()->width(),
             qPrintable(QString("%1 > %2")
                            .arg(points->horizontalHeader()->length())
                            .arg(points->viewport()->width())));
    // "Wyklucz proponowane": one click, one refit without the blunder.
    QTest::mouseClick(form.PointsWindow()->ExcludeProposedButton(), Qt::LeftButton);
    QTRY_COMPARE(form.State().Result().Transformation().excluded, 1);
    QVERIFY(form.FitSummary()->text().contains("podejrzane: 0"));
    QVERIFY(ReadBytes(folder.filePath("Wykluczone.txt")).contains("120"));
  }
  // Six blunders that hide one another (the set's test names none): the points window
  // names the robust proposal, and "Wyklucz proponowane" leaves out all six in one refit.
  void robustProposalInThePointsWindow() {
    const BlunderSet set = MaskedBlunderSet();
    QTemporaryDir folder;
    QVERIFY(WriteTransPktBIN(folder.filePath("TRANSPKT.BIN").toStdString(), "x", 1, 2, set.points));
    TForm2 form(folder.path().toStdString());
    RunAndShowPoints(form);
    QVERIFY(form.FitSummary()->text().contains("podejrzane: 0"));
    QStringList moved;
    for (const std::string& nr : set.moved)
      moved << QString::fromStdString(nr);
    const QString summary = form.PointsWindow()->Summary()->text();
    QVERIFY2(summary.contains("Propozycja wyłączeń (metoda odporna): "), qPrintable(summary));
    for (const QString& nr : moved)
      QVERIFY2(summary.contains(nr), qPrintable(nr));
    QTest::mouseClick(form.PointsWindow()->ExcludeProposedButton(), Qt::LeftButton);
    QTRY_COMPARE(form.State().Result().Transformation().excluded, 6);
    QStringList written = QString::fromLatin1(ReadBytes(folder.filePath("Wykluczone.txt")))
                              .split("\r\n", Qt::SkipEmptyParts)
                              .filter(QRegularExpression("^[^#]"));
    written.sort();
    moved.sort();
    QCOMPARE(written, moved);
    QVERIFY(form.FitSummary()->text().contains("podejrzane: 0"));
    QVERIFY(form.State().Result().Transformation().Proposal().empty());
  }
  // From 5,000 points a tick refits on a worker thread: the points window and WYKONAJ are
  // disabled meanwhile, and the figures arrive as after a small refit.
  void largeRefitOnAWorkerThread() {
    QTemporaryDir folder;
    QVERIFY(WriteLargeAdjustmentSet(folder));
    TForm2 form(folder.path().toStdString());
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QCOMPARE(form.State().Result().Transformation().FittedTransformation.ls, 6000);
    form.ShowAdjustmentPoints();
    QTableWidget* table = form.PointsWindow()->Points();
    const QList<QTableWidgetItem*> found = table->findItems("P10", Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    table->item(found[0]->row(), 0)->setCheckState(Qt::Unchecked);
    QTRY_VERIFY_WITH_TIMEOUT(form.WorkerRefits() == 1 && !form.Refitting(), 30000);
    QVERIFY(form.PointsWindow()->isEnabled());
    QVERIFY(form.BitBtn1()->isEnabled());
    QCOMPARE(form.State().Result().Transformation().excluded, 1);
    QCOMPARE(form.State().Result().Transformation().FittedTransformation.ls, 5999);
    QVERIFY(form.PointsWindow()->Notice()->text().startsWith("m0 przed → po"));
  }
  // While the worker refits 6,000 points, every other window stays live and reads the result
  // it holds: the map and the report show the run, never a fit half written; the refit's
  // result arrives whole afterwards. A refit outlived by a change of folder or by the
  // window's end is dropped. (Run under the sanitizer build too.)
  void viewsDuringALargeRefit() {
    QTemporaryDir folder, other, out;
    QVERIFY(WriteLargeAdjustmentSet(folder));
    CopyDemo(other);
    const std::string pdf = out.filePath("Raport.pdf").toStdString();
    {
      TForm2 form(folder.path().toStdString());
      {
        ModalCloser closer;
        form.BitBtn1Click();
      }
      const std::shared_ptr<const RunResult> run = form.State().result;
      const long double m0Run = run->Fit().figures.m0;
      form.ShowAdjustmentPoints();
      Untick(form, "P10");
      QTRY_VERIFY(form.Refitting());
      QTest::mouseClick(form.MapButton(), Qt::LeftButton);
      QCOMPARE(form.MapWindow()->Canvas()->Data().pointsUsed, 6000);
      QCOMPARE(form.MapWindow()->Canvas()->Data().m0, m0Run);
      {
        ModalCloser closer;
        closer.saveAs = QString::fromStdString(pdf);
        QTest::mouseClick(form.ReportButton(), Qt::LeftButton);
      }
      QVERIFY(std::filesystem::exists(pdf));
      QTRY_VERIFY_WITH_TIMEOUT(!form.Refitting(), 60000);
      QCOMPARE(form.State().Result().Fit().ls, 5999);
      QCOMPARE(form.MapWindow()->Canvas()->Data().pointsUsed, 5999);
      QCOMPARE(run->Fit().ls, 6000);  // the run's own result is as it was

      // Another folder while a refit runs: the refit is dropped, the windows follow the folder.
      const std::shared_ptr<const RunResult> refitted = form.State().result;
      Untick(form, "P11");
      QTRY_VERIFY(form.Refitting());
      form.UseFolder(other.path().toStdString());
      QCOMPARE(form.WorkingFolder(), AbsoluteFolder(other.path().toStdString()));
      QVERIFY(form.MapWindow()->Canvas()->Data().explanation.startsWith("Brak przebiegu"));
      QTRY_VERIFY_WITH_TIMEOUT(!form.Refitting(), 60000);
      QVERIFY(form.State().result == refitted);
      QVERIFY(form.MapWindow()->Canvas()->Data().points.empty());

      // Back, and closed while a refit runs: the window closes, its end waits for the worker.
      form.UseFolder(folder.path().toStdString());
      form.ShowAdjustmentPoints();
      Untick(form, "P12");
      QTRY_VERIFY(form.Refitting());
      QVERIFY(form.close());
    }
  }
  void residualMapWindow() {
    QTemporaryDir folder;
    CopyDemo(folder);
    TForm2 form(folder.path().toStdString());
    QTest::mouseClick(form.MapButton(), Qt::LeftButton);
    MapCanvas* canvas = form.MapWindow()->Canvas();
    // Before a run the window holds no fit of this folder, and says so; it never refits
    // from the folder's files.
    QVERIFY(canvas->Data().points.empty());
    QVERIFY(canvas->Data().explanation.startsWith("Brak przebiegu"));
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QVERIFY(canvas->Data().fitted);
    QVERIFY(!canvas->Data().corrections.empty());
    // The same fit as the table's: the run's m0 and every point it judged.
    QCOMPARE(canvas->Data().m0,
             form.State().Result().Transformation().FittedTransformation.figures.m0);
    QCOMPARE(canvas->Data().points.size(), form.State().Result().Transformation().checks.size());
    // It opens, and follows its size, fitted to the adjustment points: all inside the data
    // area, filling most of its width or height.
    for (QSize size : {QSize(1000, 680), QSize(700, 500)}) {
      form.MapWindow()->resize(size);
      form.MapWindow()->show();
      QVERIFY(QTest::qWaitForWindowExposed(form.MapWindow()));
      const QRectF area = DataArea(canvas->rect());
      QRectF span;
      for (const PicturePoint& p : canvas->Data().points) {
        const QPointF s = ToScreen(canvas->View(), area, p.x, p.y);
        QVERIFY(area.contains(s));
        span = span.isNull() ? QRectF(s, QSizeF(0.001, 0.001))
                             : span.united(QRectF(s, QSizeF(0.001, 0.001)));
      }
      QVERIFY2(span.width() > 0.7 * area.width() || span.height() > 0.7 * area.height(),
               qPrintable(QString("%1x%2 in %3x%4")
                              .arg(span.width())
                              .arg(span.height())
                              .arg(area.width())
                              .arg(area.height())));
    }
    // The wheel zooms about the cursor: the point under it stays under it.
    const PicturePoint& first = canvas->Data().points[0];
    const QPointF at = ToScreen(canvas->View(), DataArea(canvas->rect()), first.x, first.y);
    const double before = canvas->View().pixelsPerMetre;
    canvas->ZoomAt(at, 2);
    QCOMPARE(canvas->View().pixelsPerMetre, 2 * before);
    const QPointF after = ToScreen(canvas->View(), DataArea(canvas->rect()), first.x, first.y);
    QVERIFY(std::hypot(after.x() - at.x(), after.y() - at.y()) < 0.01);
    QCOMPARE(canvas->PointAt(at), 0);
    // A click on the map selects the point in the table, and the other way round.
    QTest::mouseClick(form.PointsButton(), Qt::LeftButton);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, at.toPoint());
    QCOMPARE(canvas->Options().highlighted, 0);
    QTableWidget* points = form.PointsWindow()->Points();
    QCOMPARE(points->item(points->currentRow(), 1)->text(), first.nr);
    points->selectRow(5);
    const QString fifth = points->item(5, 1)->text();
    QCOMPARE(canvas->Data().points[canvas->Options().highlighted].nr, fifth);
    {
      ModalCloser cancel;  // "Zapisz jako..." proposes a name in the folder of the run
      for (QAction* action : form.MapWindow()->findChildren<QAction*>()) {
        if (action->text() == "Zapisz jako...") action->trigger();
      }
      QCOMPARE(cancel.proposals.size(), 1);
      QCOMPARE(QDir(folder.path()).filePath(cancel.proposals[0]),
               folder.filePath("Mapa_odchylek.png"));
    }
    QVERIFY(form.MapWindow()->SaveAs(folder.filePath("mapa.svg")));
    QVERIFY(ReadBytes(folder.filePath("mapa.svg")).contains("<circle"));
  }
  void geoPackageSwitch() {
    QTemporaryDir folder;
    CopyDemo(folder, {"TRANSPKT.BIN", "DZIALKI.edz"});
    TForm2 form(folder.path().toStdString());
    if (!GeoPackageAvailable()) {
      QVERIFY(form.GeoPackageSwitch()->isHidden());
      QVERIFY(form.Panel(slot::kGeoPackage)->isHidden());
      QSKIP("built without GDAL (the Windows build): the switch is hidden, as checked");
    }
    QVERIFY(!form.GeoPackageSwitch()->isChecked());  // off by default
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QVERIFY(!QFile::exists(folder.filePath("Mapa.gpkg")));
    QCOMPARE(Background(form.Panel(slot::kGeoPackage)), ColourOf(SystemColour::BtnFace));
    form.GeoPackageSwitch()->setChecked(true);
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    QVERIFY(QFile::exists(folder.filePath("Mapa.gpkg")));
    QCOMPARE(Background(form.Panel(slot::kGeoPackage)), ColourOf(SystemColour::Window));
  }

  // "Przelicz plik GIS...": a GIS file through the last run's fit, its protocol in the editor and
  // in the button's list of the folder's GIS files; before a run, a word on what to do first.
  void gisFileThroughTheRunsFit() {
    if (!GeoPackageAvailable()) {
      TForm2 form;
      QVERIFY(form.GisButton()->isHidden());
      QSKIP("built without GDAL: the button is hidden, as checked");
    }
    QTemporaryDir folder;
    CopyDemo(folder);
    WriteBytes(folder.filePath("punkty.csv"), "WKT,nr\n\"POINT (7456800 5567600)\",1\n");
    TForm2 form(folder.path().toStdString());
    form.show();
    QVERIFY(form.GisButton()->isVisible());
    {
      ModalCloser closer;
      form.AskAndConvertGisFile();
      QCOMPARE(closer.texts.size(), 1);
      QVERIFY(closer.texts[0].startsWith("Najpierw wykonaj przebieg"));
    }
    {
      ModalCloser closer;
      form.BitBtn1Click();
    }
    const GisFileResult r = form.ConvertGisFile(folder.filePath("punkty.csv"));
    QVERIFY2(r.written, r.error.c_str());
    QVERIFY(QFile::exists(folder.filePath("punkty_2000.csv")));
    QVERIFY(!form.findChildren<TForm4*>().isEmpty());  // the protocol, opened
    emit form.GisButton()->menu()->aboutToShow();
    QStringList listed;
    for (const QAction* action : form.GisButton()->menu()->actions())
      listed << action->text();
    QCOMPARE(listed, QStringList{"PROTOKOL_GIS_punkty.csv.txt"});
    // A GML feature collection is rewritten in place: only the digits of its position change.
    const QByteArray gml =
        "<?xml version=\"1.0\"?>\n<gml:FeatureCollection "
        "xmlns:gml=\"http://www.opengis.net/gml/3.2\" xmlns:egb=\"ewidencjaGruntowIBudynkow:1.0\">"
        "<gml:featureMember><egb:EGB_PunktGraniczny gml:id=\"PG1\"><egb:geometria><gml:Point "
        "srsName=\"urn:ogc:def:crs:EPSG::2178\"><gml:pos>5567400.12 7456700.45</gml:pos>"
        "</gml:Point></egb:geometria></egb:EGB_PunktGraniczny></gml:featureMember>"
        "</gml:FeatureCollection>\n";
    WriteBytes(folder.filePath("egib.gml"), gml);
    const GisFileResult inPlace = form.ConvertGisFile(folder.filePath("egib.gml"));
    QVERIFY2(inPlace.written, inPlace.error.c_str());
    QCOMPARE(QString::fromStdString(inPlace.route), QString("in_place"));
    QByteArray out = ReadBytes(folder.filePath("egib_2000.gml")), in = gml;
    QVERIFY(out != in);
    const auto digitless = [](QByteArray bytes) {
      bytes.removeIf([](char c) { return c >= '0' && c <= '9'; });
      return bytes;
    };
    QCOMPARE(digitless(out), digitless(in));
  }

  // The two limit fields edit Limity.txt of the working folder: what they hold is what the
  // next run is held to, and each folder keeps its own.
  void limitFieldsKeepTheFoldersOwnLimits() {
    QTemporaryDir a, b;
    CopyDemo(a);
    CopyDemo(b);
    TForm2 form(a.path().toStdString());
    form.show();
    QVERIFY(form.LimitM0Field()->isEnabled());
    QVERIFY(form.LimitResidualField()->isEnabled());
    QVERIFY(form.LimitM0Field()->text().isEmpty());
    const std::string file = a.filePath("Limity.txt").toStdString();
    struct Case {
      QString m0, residual;
      const char* fitLine;  // what the fit line says after WYKONAJ (demo: m0 0.0205 m)
    };
    const Case cases[] = {{"0,01", "", "limity: nie spełnia"},
                          {"0.05", " 0,1 ", "limity: spełnia"},
                          {"0,05", "0,05", "limity: nie spełnia"}};  // largest residual 0.0619
    for (const Case& c : cases) {
      form.LimitM0Field()->setText(c.m0);
      form.LimitResidualField()->setText(c.residual);
      ModalCloser closer;
      form.BitBtn1Click();  // saves the fields first
      const LimitFile read = ReadLimitFile(file);
      QVERIFY(read.limits.m0);
      QCOMPARE(static_cast<double>(*read.limits.m0), c.m0 == "0,01" ? 0.01 : 0.05);
      QCOMPARE(read.limits.residual.has_value(), !c.residual.trimmed().isEmpty());
      QVERIFY2(form.FitSummary()->text().contains(c.fitLine),
               qPrintable(form.FitSummary()->text()));
    }
    // No limit in a field: a message, and the file as it was.
    const QByteArray before = ReadBytes(a.filePath("Limity.txt"));
    form.LimitM0Field()->setText("pięć");
    {
      ModalCloser closer;
      QVERIFY(!form.SaveLimits());
      QCOMPARE(closer.texts.size(), 1);
      QVERIFY(closer.texts.first().contains("nie jest liczbą metrów"));
    }
    QCOMPARE(ReadBytes(a.filePath("Limity.txt")), before);
    // Another folder shows its own (none), and the first its own again.
    form.LimitM0Field()->setText("0,05");
    QVERIFY(form.SaveLimits());
    form.UseFolder(b.path().toStdString());
    QVERIFY(form.LimitM0Field()->text().isEmpty());
    QVERIFY(form.LimitResidualField()->text().isEmpty());
    QVERIFY(!QFile::exists(b.filePath("Limity.txt")));
    form.UseFolder(a.path().toStdString());
    QCOMPARE(form.LimitM0Field()->text(), QString("0.05"));
    QCOMPARE(form.LimitResidualField()->text(), QString("0.05"));
    // Both emptied: no limit, no file, and the fit line says nothing of limits.
    form.LimitM0Field()->clear();
    form.LimitResidualField()->clear();
    ModalCloser closer;
    form.BitBtn1Click();
    QVERIFY(!QFile::exists(a.filePath("Limity.txt")));
    QVERIFY(!form.FitSummary()->text().contains("limity"));
  }

  // The folder list of a joint fit: two folders and a results folder of its own.
  void jointDialogNeedsTwoFoldersAndAFolderOfItsOwn() {
    JointDialog dialog({"/tmp/a"}, "/tmp");
    QVERIFY(!dialog.RunButton()->isEnabled());
    dialog.AddFolder("/tmp/b/");
    dialog.AddFolder("/tmp/a");  // once only
    // Shown as the system writes paths: backslashes on Windows.
    const auto shown = [](const char* path) { return QDir::toNativeSeparators(path); };
    QCOMPARE(dialog.Folders(), (QStringList{shown("/tmp/a"), shown("/tmp/b")}));
    QVERIFY(!dialog.RunButton()->isEnabled());  // no results folder yet
    dialog.SetJointFolder("/tmp/b");
    QVERIFY(!dialog.RunButton()->isEnabled());  // one of the folders
    dialog.SetJointFolder("/tmp/razem");
    QVERIFY(dialog.RunButton()->isEnabled());
    dialog.List()->item(0)->setSelected(true);
    QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
    QCOMPARE(dialog.Folders(), QStringList{shown("/tmp/b")});
    QVERIFY(!dialog.RunButton()->isEnabled());
  }

  // Two neighbouring precincts fitted together from the main window: the joint folder
  // becomes the working folder with the joint fit shown, both maps are converted through it,
  // their seam closes, and WYKONAJ there fits them together again.
  void jointTransformationOfTwoPrecincts() {
    QTemporaryDir root;
    CountyShape shape;
    shape.rows = 1;
    shape.parcelsPerSide = 6;
    shape.sharedCornerPoints = true;
    const std::vector<std::string> folders = WriteCounty(root.path().toStdString(), shape);
    const std::string joint = root.filePath("razem").toStdString();
    TForm2 form(folders[0]);
    form.show();
    {
      ModalCloser closer;
      QVERIFY(form.RunJoint(folders, joint));
      // One box for the whole joint run, none per folder.
      QCOMPARE(closer.texts.size(), 1);
      QVERIFY2(closer.texts[0].startsWith("Wspólna transformacja 2 folderów: m0 = "),
               qPrintable(closer.texts[0]));
      QVERIFY2(closer.texts[0].contains("Szwy: 1 para sąsiednich folderów, wierzchołków ponad "
                                        "tolerancję 0.01 m: 0 "),
               qPrintable(closer.texts[0]));
    }
    // The counters show the folders' totals: every parcel of both maps, one unit.
    std::size_t parcels = 0;
    for (const std::string& folder : folders) {
      std::vector<ParcelShape> shapes;
      QVERIFY(ReadParcelShapes(folder + "/DZIALKI.edz", shapes));
      parcels += shapes.size();
    }
    QVERIFY(parcels > 0);
    QCOMPARE(form.Edit(9)->text(), QString::number(parcels));
    QCOMPARE(form.WorkingFolder(), AbsoluteFolder(joint));
    QCOMPARE(form.State().Result().Transformation().input->joint.size(), std::size_t{2});
    QVERIFY(form.FitSummary()->text().startsWith("m0 = "));
    for (const std::string& folder : folders)
      QVERIFY(QFile::exists(QString::fromStdString(folder) + "/Dzialki.ed_"));
    for (const char* name : {"Protokol.tra", "Kontrola.tra", "Szwy.txt"})
      QVERIFY2(QFile::exists(QString::fromStdString(joint) + "/" + name), name);
    // The seam report has its panel in the joint folder's window.
    QVERIFY(TForm2::ShowsPresent(form.Panel(slot::kSeams)));
    form.ShowAdjustmentPoints();
    QCOMPARE(form.PointsWindow()->Points()->rowCount(),
             static_cast<int>(form.State().Result().Transformation().checks.size()));
    QFile::remove(QString::fromStdString(folders[1]) + "/Dzialki.ed_");
    {
      ModalCloser closer;
      form.BitBtn1Click();
      QCOMPARE(closer.texts.size(), 1);
      QVERIFY(closer.texts[0].startsWith("Wspólna transformacja 2 folderów"));
    }
    QVERIFY(QFile::exists(QString::fromStdString(folders[1]) + "/Dzialki.ed_"));
  }

  // Points of one number that disagree between the folders: no joint fit, nothing written,
  // and the message names the point and both folders.
  void jointTransformationRefusesDisagreeingPoints() {
    QTemporaryDir root;
    CountyShape shape;
    shape.rows = 1;
    shape.parcelsPerSide = 4;
    shape.sharedCornerPoints = true;
    const std::vector<std::string> folders = WriteCounty(root.path().toStdString(), shape);
    TPktDostosowania points = PrecinctAdjustmentPoints(shape, 0, 1);
    for (TPkt& p : points) {
      if (p.Nr == "R0_1") p.x1 += 0.2L;
    }
    QVERIFY(WriteTransPktBIN(folders[1] + "/TRANSPKT.BIN", "x", 0, 0, points));
    TForm2 form(folders[0]);
    ModalCloser closer;
    QVERIFY(!form.RunJoint(folders, root.filePath("razem").toStdString()));
    QCOMPARE(closer.texts.size(), 1);
    QVERIFY(closer.texts[0].startsWith("Wspólnej transformacji nie wykonano:"));
    QVERIFY(closer.texts[0].contains(
        QString::fromStdString("punkt R0_1: różne współrzędne w folderach " +
                               AbsoluteFolder(folders[0]) + " i " + AbsoluteFolder(folders[1]))));
    QCOMPARE(form.WorkingFolder(), AbsoluteFolder(folders[0]));
    QVERIFY(!QFile::exists(root.filePath("razem/Protokol.tra")));
    QVERIFY(!QFile::exists(QString::fromStdString(folders[0]) + "/Dzialki.ed_"));
  }
};

QTEST_MAIN(GuiTest)
#include "GuiTest.moc"
