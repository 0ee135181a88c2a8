#include "desktop/TForm2.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <filesystem>

#include "core/Version.h"
#include "county/CountyRun.h"
#include "county/SeamReport.h"
#include "desktop/AdjustmentPointsWindow.h"
#include "desktop/JointDialog.h"
#include "desktop/ResidualMapWindow.h"
#include "picture/PdfReport.h"
#include "picture/ReportInput.h"
#include "run/GeoPackageLoader.h"
#include "run/GisRoute.h"
#include "run/ReportLoader.h"
#include "run/StaleOutputs.h"
#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "textio/NumberReading.h"
#include "textio/Platform.h"
#include "textio/PolishPlural.h"
#include "textio/SystemReason.h"
#include "textio/TextFile.h"
#include "transform/Exclusions.h"
#include "transform/FitStamp.h"
#include "viewer/Look.h"
#include "viewer/TForm1.h"
#include "viewer/TForm4.h"
#include "viewer/WindowPlace.h"

namespace {

// The figures of the folders of a joint run, added up as they go to the window: each
// folder's counters as its run set them last; a folder whose run sets none adds nothing.
class CounterTotals : public RunEvents {
 public:
  explicit CounterTotals(RunEvents& window) : window_(window) {}

  void ShowStatus(std::string_view text) override { window_.ShowStatus(text); }
  void ShowMessage(MessageKind kind, std::string_view text) override {
    window_.ShowMessage(kind, text);
  }
  void ShowPanel(int slot, PanelState state) override { window_.ShowPanel(slot, state); }
  void SetCounter(Counter counter, std::string_view text) override {
    folder_[static_cast<int>(counter)] = std::string(text);
    window_.SetCounter(counter, text);
  }
  // The folder's run has ended: its last figures count.
  void EndFolder() {
    for (int k = 0; k < kCounterCount; ++k) {
      if (folder_[k]) shown_[k].push_back(*folder_[k]);
      folder_[k].reset();
    }
  }
  // Every counter as the sum over the folders (areas to 4 decimals); a registration unit
  // only when every folder that names one names the same.
  void ShowTotals() {
    for (int k = 0; k < kCounterCount; ++k) {
      const Counter counter = static_cast<Counter>(k);
      if (shown_[k].empty()) continue;
      if (counter == Counter::ParcelUnit || counter == Counter::ContourUnit) {
        const bool same = std::all_of(shown_[k].begin(), shown_[k].end(),
                                      [&](const std::string& u) { return u == shown_[k][0]; });
        window_.SetCounter(counter, same ? shown_[k][0] : std::string());
        continue;
      }
      long double sum = 0;
      for (const std::string& text : shown_[k]) {
        long double value = 0;
        if (textio::ParseNumber(text, value)) sum += value;
      }
      const bool area = counter == Counter::ParcelArea || counter == Counter::ContourArea;
      window_.SetCounter(counter, area ? textio::General(std::trunc(sum * 10000 + 0.5L) * 0.0001L)
                                       : std::to_string(static_cast<long long>(sum)));
    }
  }

 private:
  RunEvents& window_;
  std::array<std::optional<std::string>, kCounterCount> folder_;
  std::array<std::vector<std::string>, kCounterCount> shown_;
};

// A path as the system writes it (backslashes on Windows), for the texts the window shows.
std::string Shown(const std::string& path) {
  return QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
}

// "para", "pary" or "par", as a count of seam pairs takes it.
std::string PairsWord(std::size_t pairs) {
  return std::string(textio::PluralForm(static_cast<std::int64_t>(pairs), "para", "pary", "par"));
}

constexpr int kClientWidth = 808, kClientHeight = 625, kStatusBarHeight = 22;
constexpr int kHeadingWidth = 170;
constexpr int kPanelHeight = 26;
// Status texts are painted at most 25 times a second; a text still waiting is painted
// before a message box and when the run ends.
constexpr qint64 kPaintIntervalMs = 40;

// The counter field EditN of each counter, in the order of Counter.
constexpr std::array<int, kCounterCount> kCounterEdits = {5, 8, 9, 10, 1, 2, 3, 4, 12, 13, 14};

int EditOf(Counter counter) {
  return kCounterEdits[static_cast<int>(counter)];
}

SystemColour PanelColour(PanelState state) {
  switch (state) {
    case PanelState::Input:
      return SystemColour::InfoBk;
    case PanelState::Output:
      return SystemColour::Window;
    case PanelState::Absent:
      break;
  }
  return SystemColour::BtnFace;
}

// Left edge and width of file column 0..4.
int ColumnX(int column) {
  return 186 + column * 124;
}
constexpr int kColumnWidth = 116;

// The panels of each file column, top to bottom: input, converted, protocol, index.
constexpr std::array<std::array<int, 4>, 5> kColumns = {
    {{2, 1, 3, 5}, {4, 9, 8, 10}, {6, 11, 13, 0}, {7, 12, 14, 0}, {21, 22, 23, 0}}};

SystemColour CaptionColour(int slot) {
  if (slot == 2 || slot == 4 || slot == 6 || slot == 7 || slot == 21)
    return SystemColour::WindowText;
  if (slot == 15 || slot == 16) return SystemColour::Black;
  return SystemColour::Navy;
}

QLabel* Text(QWidget* area, const QString& text, const QRect& where, const QFont& font) {
  auto* label = new QLabel(text, area);
  label->setGeometry(where);
  label->setFont(font);
  return label;
}

// The program picture: a small map sheet with a corrected parcel.
QPixmap ProgramPicture() {
  QPixmap picture(64, 64);
  picture.fill(Qt::white);
  QPainter p(&picture);
  p.setPen(QColor(0xB0, 0xC4, 0xDE));
  for (int i = 8; i < 64; i += 12) {
    p.drawLine(i, 0, i, 63);
    p.drawLine(0, i, 63, i);
  }
  p.setPen(QPen(Qt::darkBlue, 2));
  p.drawPolygon(QPolygon({QPoint(12, 14), QPoint(50, 10), QPoint(54, 48), QPoint(16, 52)}));
  p.setPen(QPen(Qt::red, 2));
  p.drawPolygon(QPolygon({QPoint(14, 16), QPoint(52, 13), QPoint(55, 50), QPoint(17, 54)}));
  p.setPen(Qt::black);
  p.drawRect(0, 0, 63, 63);
  return picture;
}

const QString kRecentKey = "foldery/ostatnie";
const QString kExecutorKey = "raport/wykonawca";
constexpr int kRecentFolders = 8;
const QString kNoFolder = " Nie wybrano folderu roboczego";
const QString kReportTip =
    "Raport transformacji do dokumentacji technicznej: parametry, punkty, mapa odchyłek";

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(textio::PathFromUtf8(path), ec);
}

// The program copied into a map's folder works there, as it always did.
bool HoldsWorkingFiles(const std::string& folder) {
  if (textio::FileExistsInFolder(folder, kAdjustmentPointsFileName)) return true;
  for (const MapFileSlots& map : kMapFileSlots) {
    if (textio::FileExistsInFolder(folder, SlotFileName(map.input))) return true;
  }
  return false;
}

std::string InitialFolder() {
  const std::string own = FolderOfProgram(QCoreApplication::applicationFilePath().toStdString());
  if (HoldsWorkingFiles(own)) return own;
  const QStringList recent = RecentFolders();
  return recent.isEmpty() ? std::string() : recent.first().toStdString();
}

}  // namespace

QString DocumentsFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

std::string InstalledExample() {
  const std::string program = textio::ProgramFolder();
  for (const char* relative : {"przyklad", "../share/zornak-edz/przyklad"}) {
    const std::string folder = textio::PathInFolder(program, relative);
    if (textio::FileExistsInFolder(folder, kAdjustmentPointsFileName))
      return AbsoluteFolder(folder);
  }
  return {};
}

std::string CopyOfExample(const std::string& example, const QString& into, QString& error) {
  const QString base = QDir(into).filePath("ZORNAK_edz przykład");
  QString target = base;
  for (int n = 2; QFileInfo::exists(target); ++n)
    target = base + QString(" (%1)").arg(n);
  std::error_code ec;
  const std::filesystem::path to = textio::PathFromUtf8(target.toStdString());
  std::filesystem::create_directories(to, ec);
  for (const auto& entry : std::filesystem::directory_iterator(textio::PathFromUtf8(example), ec)) {
    if (ec || !entry.is_regular_file()) continue;
    const std::filesystem::path file = to / entry.path().filename();
    std::filesystem::copy_file(entry.path(), file, ec);
    // The installed example is read-only; its copy is the user's to work in.
    if (!ec) {
      std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ec);
    }
    if (ec) break;
  }
  if (ec) {
    error = "Nie można skopiować przykładu do " + target + ": " +
            QString::fromStdString(textio::SystemReason(ec.value()));
    return {};
  }
  return target.toStdString();
}

std::string FolderOfArgument(const QString& argument) {
  const std::string path = argument.toStdString();
  if (IsFolder(path)) return path;
  std::error_code ec;
  const std::filesystem::path file = textio::PathFromUtf8(path);
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  return textio::Utf8FromPath(std::filesystem::absolute(file, ec).parent_path());
}

QStringList RecentFolders() {
  QStringList existing;
  for (const QString& folder : QSettings().value(kRecentKey).toStringList()) {
    if (IsFolder(folder.toStdString())) existing << folder;
  }
  return existing;
}

void RememberFolder(const QString& folder) {
  QStringList recent = QSettings().value(kRecentKey).toStringList();
  recent.removeAll(folder);
  recent.prepend(folder);
  QSettings().setValue(kRecentKey, recent.mid(0, kRecentFolders));
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  emit clicked();
}

TForm2::TForm2(std::string folder, QWidget* parent)
    : QMainWindow(parent), folder_(folder.empty() ? InitialFolder() : std::move(folder)) {
  state_.threads = ThreadsFromEnvironment();
  setWindowTitle(QString("ZORNAK_edz  wersja  ") + kZornakVersion);
  auto* area = new QWidget(this);
  area->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  area->setCursor(Qt::CrossCursor);
  Paint(area, ColourOf(SystemColour::BtnFace));
  setCentralWidget(area);
  CreateHeader(area);
  CreateFileColumns(area);
  CreateCounters(area);
  CreateTransformationRow(area);
  CreateStatusBar();
  setFixedSize(kClientWidth, kClientHeight);
  PlaceWindow(this, "glowne", nullptr);
  StartUp();
  if (HasFolder()) RememberFolder(QString::fromStdString(WorkingFolder()));
}

void TForm2::CreateHeader(QWidget* area) {
  auto* image1 = new QLabel(area);
  image1->setGeometry(10, 8, 64, 64);
  image1->setPixmap(ProgramPicture());
  auto* banner = Text(area, QString("ZORNAK_EDZ_LOK  ") + kZornakVersion, QRect(90, 6, 420, 36),
                      WindowsFont("Arial", 20, true));
  banner->setFrameStyle(QFrame::NoFrame);
  const QFont normal = WindowsFont("MS Sans Serif", 8);
  Text(area,
       "     Program realizuje korekty lokalne po transformacji części graficznej plików "
       "EWMAPA do układu  ",
       QRect(90, 44, 640, 16), normal);
  Text(area, "empirycznego \"2000\".    ", QRect(90, 60, 300, 16), normal);
  image2_ = new ClickLabel(area);
  image2_->setGeometry(748, 8, 48, 48);
  image2_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(48, 48));
  image2_->setCursor(Qt::WhatsThisCursor);
  image2_->setToolTip("Pomoc");
  connect(image2_, &ClickLabel::clicked, this, [this] {
    auto* help = new TForm1(this);
    PlaceWindow(help, "pomoc", this);
    help->show();
  });
  Text(area, "Wykonawca:", QRect(400, 66, 70, 20), WindowsFont("MS Sans Serif", 8));
  executor_ = new QLineEdit(QSettings().value(kExecutorKey).toString(), area);
  executor_->setGeometry(470, 64, 210, 22);
  executor_->setFont(WindowsFont("MS Sans Serif", 8));
  executor_->setToolTip("Wykonawca prac: wpisywany do raportu PDF");
  connect(executor_, &QLineEdit::textChanged, this,
          [](const QString& text) { QSettings().setValue(kExecutorKey, text); });
  auto* date = new QDateEdit(QDate::currentDate(), area);
  date->setGeometry(690, 64, 106, 22);
  date->setCalendarPopup(true);
}

void TForm2::CreateFileColumns(QWidget* area) {
  const QFont heading = WindowsFont("MS Sans Serif", 8, true);
  Text(area, "  Zbiory pierwotne", QRect(8, 96, kHeadingWidth, kPanelHeight), heading);
  Text(area, "Zbiory wtórne", QRect(8, 152, kHeadingWidth, kPanelHeight), heading);
  Text(area, "[ Protokoły kontrolne ]", QRect(8, 186, kHeadingWidth, kPanelHeight), heading);
  Text(area, "[ Skorowidze działek ]", QRect(8, 220, kHeadingWidth, kPanelHeight), heading);
  const QFont panelFont = WindowsFont("MS Sans Serif", 8, true);
  auto panel = [&](int slot, const QRect& where) {
    const std::string_view caption = SlotCaption(slot);
    auto* p =
        new ClickLabel(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())), area);
    p->setGeometry(where);
    p->setFont(panelFont);
    p->setAlignment(Qt::AlignCenter);
    p->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Paint(p, ColourOf(SystemColour::BtnFace));
    PaintText(p, ColourOf(CaptionColour(slot)));
    connect(p, &ClickLabel::clicked, this, [this, slot] {
      if (HasFolder()) OpenWorkingFile(slot);
    });
    panels_[slot] = p;
  };
  const int rows[4] = {96, 152, 186, 220};
  for (int column = 0; column < 5; ++column) {
    for (int row = 0; row < 4; ++row) {
      const int slot = kColumns[column][row];
      if (slot != 0) panel(slot, QRect(ColumnX(column), rows[row], kColumnWidth, kPanelHeight));
    }
    auto* box = new QCheckBox("TAK/NIE", area);
    box->setGeometry(ColumnX(column) + 28, 126, 84, 20);
    box->setChecked(true);
    boxes_[column + 1] = box;
  }
  // The GIS export beside the conversion switches: off by default, its file's panel beside.
  geoPackageBox_ = new QCheckBox("GeoPackage", area);
  geoPackageBox_->setGeometry(ColumnX(2), 222, 96, 22);
  geoPackageBox_->setFont(WindowsFont("MS Sans Serif", 8));
  geoPackageBox_->setToolTip(
      "Po przeliczeniu zapisz mapę jako GeoPackage (Mapa.gpkg) dla programów GIS");
  panel(slot::kGeoPackage, QRect(ColumnX(4), 220, kColumnWidth, kPanelHeight));
  // A build without GDAL (the Windows one) has no export: neither the switch nor its panel.
  geoPackageBox_->setVisible(GeoPackageAvailable());
  panels_[slot::kGeoPackage]->setVisible(GeoPackageAvailable());
  // The whole correction for other tools; off by default. A run without it removes the pair of
  // an earlier run, which would describe another fit.
  fullPipelineBox_ = new QCheckBox("Pełna korekta jako potok PROJ", area);
  fullPipelineBox_->setGeometry(ColumnX(3) + 40, 252, 208, 20);
  fullPipelineBox_->setFont(WindowsFont("MS Sans Serif", 8));
  fullPipelineBox_->setToolTip(
      "Zapisz też całą korektę (model i korektę Hausbrandta) jako potok PROJ: Korekta.json i "
      "Transformacja_pelna.proj, dla cct, ogr2ogr i innych programów");
  // Other GIS files through the same fit; its menu lists those converted in this folder.
  gisButton_ = new QToolButton(area);
  gisButton_->setText("Przelicz plik GIS...");
  gisButton_->setGeometry(ColumnX(2) + 100, 220, ColumnX(4) - ColumnX(2) - 108, kPanelHeight);
  gisButton_->setFont(WindowsFont("MS Sans Serif", 8));
  gisButton_->setToolTip(
      "Przelicz plik GIS (GeoPackage, Shapefile, DXF, GML, GeoJSON...) transformacją z korektą "
      "ostatniego przebiegu; strzałka: pliki GIS przeliczone w tym folderze");
  gisButton_->setPopupMode(QToolButton::MenuButtonPopup);
  gisButton_->setMenu(new QMenu(gisButton_));
  connect(gisButton_->menu(), &QMenu::aboutToShow, this, &TForm2::FillGisMenu);
  connect(gisButton_, &QToolButton::clicked, this, &TForm2::AskAndConvertGisFile);
  gisButton_->setVisible(GeoPackageAvailable());
  // The transformation row: the report, the three lists and the error list; the adjustment
  // point lists xy1 and xy2 are never shown.
  for (int slot = 15; slot <= 20; ++slot) {
    panel(slot, QRect(ColumnX(std::max(slot - 17, 0)), 476, kColumnWidth, kPanelHeight));
  }
  panel(slot::kErrors, QRect(ColumnX(4), 476, kColumnWidth, kPanelHeight));
  // The judgement of the adjustment points: its report and its window.
  panel(slot::kControl, QRect(ColumnX(3), 440, kColumnWidth, kPanelHeight));
  // The seams of a joint run's folders, in the joint folder.
  panel(slot::kSeams, QRect(ColumnX(2), 440, kColumnWidth, kPanelHeight));
  pointsButton_ = new QPushButton("Punkty dostosowania...", area);
  pointsButton_->setGeometry(ColumnX(4), 440, kColumnWidth, kPanelHeight);
  pointsButton_->setFont(WindowsFont("MS Sans Serif", 8));
  pointsButton_->setToolTip("Odchyłki, kontrola bez punktu, wyłączanie punktów, porównanie modeli");
  connect(pointsButton_, &QPushButton::clicked, this, &TForm2::ShowAdjustmentPoints);
  mapButton_ = new QPushButton("Mapa odchyłek...", area);
  mapButton_->setGeometry(ColumnX(4), 410, kColumnWidth, kPanelHeight);
  mapButton_->setFont(WindowsFont("MS Sans Serif", 8));
  mapButton_->setToolTip("Punkty dostosowania z wektorami odchyłek i pole korekt na tle mapy");
  connect(mapButton_, &QPushButton::clicked, this, &TForm2::ShowResidualMap);
  panels_[15]->hide();
  panels_[16]->hide();
}

void TForm2::CreateCounters(QWidget* area) {
  const QFont normal = WindowsFont("MS Sans Serif", 8);
  const char* headings[4] = {
      "Gmina / jednostka ewid. ...........", "Liczba obrębów ........................ ",
      "Liczba działek .......................... ", "Powierzchnia ogólna  ................"};
  auto field = [&](Counter c, int x, int y) {
    auto* edit = new QLineEdit(area);
    edit->setGeometry(x, y, kColumnWidth, 22);
    edit->setFont(normal);
    edits_[EditOf(c)] = edit;
  };
  for (int row = 0; row < 4; ++row) {
    const int y = 262 + row * 26;
    Text(area, headings[row], QRect(8, y, kHeadingWidth, 22), normal);
    field(static_cast<Counter>(row), ColumnX(0), y);
    field(static_cast<Counter>(4 + row), ColumnX(1), y);
  }
  // The three point counters stand in a frame of their own under their heading, apart from
  // the rows of the parcel and contour counters.
  auto* points = new QGroupBox("Liczba punktów przetworzonych", area);
  points->setGeometry(ColumnX(2) - 6, 256, 3 * 124 + 4, 96);
  points->setFont(normal);
  const char* names[3] = {"PUNKTY", "WARSTWY", "OBIEKTY"};
  const Counter pointCounters[3] = {Counter::Points, Counter::LayerPoints, Counter::ObjectPoints};
  for (int k = 0; k < 3; ++k) {
    auto* name = Text(area, names[k], QRect(ColumnX(2 + k), 280, kColumnWidth, 18), normal);
    name->setAlignment(Qt::AlignCenter);
    field(pointCounters[k], ColumnX(2 + k), 300);
  }
  points->lower();

  edit7_ = new QLineEdit(area);
  edit7_->setGeometry(8, 374, kClientWidth - 16, 24);
  edit7_->setReadOnly(true);
  edit7_->setFont(WindowsFont("MS Sans Serif", 8, true));
  Paint(edit7_, ColourOf(SystemColour::Aqua));
  edit7_->hide();
}

void TForm2::CreateTransformationRow(QWidget* area) {
  const QFont normal = WindowsFont("MS Sans Serif", 8);
  auto* heading = Text(area, "PUNKTY DOSTOSOWANIA I KONTROLNE ", QRect(8, 412, 320, 20),
                       WindowsFont("Arial", 8, true));
  PaintText(heading, ColourOf(SystemColour::Black));
  Text(area, "Rodzaj transformacji ", QRect(8, 440, 130, 24), normal);
  comboBox1_ = new QComboBox(area);
  comboBox1_->setGeometry(140, 440, 130, 24);
  for (std::string_view item : kKindItems)
    comboBox1_->addItem(QString::fromUtf8(item.data(), item.size()));
  // The user's choice outlives the start-up pass, which otherwise resets the kind.
  connect(comboBox1_, &QComboBox::activated, this, [this] { modelChosen_ = true; });
  Text(area, "Stopień ", QRect(290, 440, 60, 24), normal);
  comboBox2_ = new QComboBox(area);
  comboBox2_->setGeometry(350, 440, 60, 24);
  for (std::string_view item : kDegreeItems)
    comboBox2_->addItem(QString::fromUtf8(item.data(), item.size()));
  connect(comboBox2_, &QComboBox::activated, this, [this] { modelChosen_ = true; });
  CreateLimitFields(area);
  fitSummary_ = new QLabel(area);
  fitSummary_->setGeometry(8, 503, 792, 18);
  fitSummary_->setFont(normal);
  fitSummary_->setTextFormat(Qt::RichText);

  bitBtn1_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), "WYKONAJ", area);
  bitBtn1_->setGeometry(ColumnX(0), 522, 240, 56);
  bitBtn1_->setFont(WindowsFont("MS Sans Serif", 14, true));
  bitBtn1_->setIconSize(QSize(32, 32));
  connect(bitBtn1_, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
  reportButton_ = new QPushButton(QIcon::fromTheme("document-save-as"), "Raport PDF...", area);
  reportButton_->setGeometry(ColumnX(2), 530, 150, 40);
  reportButton_->setFont(WindowsFont("MS Sans Serif", 8, true));
  reportButton_->setToolTip(kReportTip);
  connect(reportButton_, &QPushButton::clicked, this, &TForm2::AskAndWriteReport);
  auto* button2 = new QPushButton(" ZAMKNIJ", area);
  button2->setGeometry(ColumnX(3) + 40, 530, 160, 40);
  button2->setFont(WindowsFont("MS Sans Serif", 10, true));
  connect(button2, &QPushButton::clicked, this, &QWidget::close);
}

void TForm2::CreateLimitFields(QWidget* area) {
  const QFont normal = WindowsFont("MS Sans Serif", 8);
  const QString tip =
      "Limit z warunków technicznych lub umowy (w metrach); puste - bez limitu. "
      "Zapamiętywany w pliku Limity.txt folderu roboczego";
  Text(area, "Limity [m]:  m0 ≤", QRect(336, 410, 108, 24), normal);
  limitM0_ = new QLineEdit(area);
  limitM0_->setGeometry(446, 410, 58, 24);
  Text(area, "maks. odchyłka ≤", QRect(512, 410, 102, 24), normal);
  limitResidual_ = new QLineEdit(area);
  limitResidual_->setGeometry(616, 410, 58, 24);
  for (QLineEdit* field : {limitM0_, limitResidual_}) {
    field->setFont(normal);
    field->setToolTip(tip);
    field->setPlaceholderText("brak");
    connect(field, &QLineEdit::editingFinished, this, [this] { SaveLimits(); });
    connect(field, &QLineEdit::textChanged, this, [this] { ShowFitSummary(); });
  }
}

void TForm2::LoadLimits() {
  limitsFolder_ = WorkingFolder();
  Limits limits;
  if (HasFolder()) {
    limits = ReadLimitFile(textio::PathInFolder(WorkingFolder(), kLimitFileName)).limits;
  }
  const auto shown = [](const std::optional<long double>& limit) {
    return limit ? QString::fromStdString(textio::General(*limit)) : QString();
  };
  limitM0_->setText(shown(limits.m0));
  limitResidual_->setText(shown(limits.residual));
  limitM0_->setEnabled(HasFolder());
  limitResidual_->setEnabled(HasFolder());
}

Limits TForm2::ShownLimits(const Limits& run) const {
  Limits shown;
  const std::pair<const QLineEdit*, std::optional<long double>*> fields[] = {
      {limitM0_, &shown.m0}, {limitResidual_, &shown.residual}};
  for (const auto& [field, limit] : fields) {
    const std::string text = field->text().trimmed().toStdString();
    if (text.empty()) continue;
    *limit = ReadLimitValue(text);
    if (!*limit) return run;  // a field being typed: the run's limits stand
  }
  return shown;
}

bool TForm2::SaveLimits() {
  if (!HasFolder() || limitsFolder_ != WorkingFolder()) return true;
  Limits limits;
  const std::pair<QLineEdit*, std::optional<long double>*> fields[] = {
      {limitM0_, &limits.m0}, {limitResidual_, &limits.residual}};
  for (const auto& [field, limit] : fields) {
    const std::string text = field->text().trimmed().toStdString();
    if (text.empty()) continue;
    *limit = ReadLimitValue(text);
    if (!*limit) {
      QMessageBox::warning(this, "ZORNAK_edz",
                           "Limit \"" + field->text() +
                               "\" nie jest liczbą metrów większą od zera (np. 0,05); "
                               "Limity.txt pozostał bez zmian.");
      field->setFocus();
      return false;
    }
  }
  const std::string path = textio::PathInFolder(WorkingFolder(), kLimitFileName);
  const Limits now = ReadLimitFile(path).limits;
  if (now.m0 == limits.m0 && now.residual == limits.residual) return true;
  std::string failure;
  if (!WriteLimitFile(path, limits, failure)) {
    QMessageBox::warning(this, "ZORNAK_edz",
                         "Błąd zapisu pliku " + QString::fromStdString(failure));
    return false;
  }
  return true;
}

RunRequest TForm2::Request() {
  RunRequest request;
  TakeModelChoice(comboBox1_->currentText().toStdString(), comboBox2_->currentText().toStdString(),
                  request.model);
  for (int k = 0; k < kMapFileCount; ++k)
    request.convert[k] = boxes_[k + 1]->isChecked();
  request.exportGeoPackage = geoPackageBox_->isChecked();
  request.fullPipeline = fullPipelineBox_->isChecked();
  request.confirmSuspectConversion = [this](std::string_view question) {
    return ConvertDespiteSuspectPoints(question);
  };
  request.keepMapDrawing = true;
  return request;
}

void TForm2::ShowStatus(std::string_view text) {
  pendingStatus_.assign(text);
  statusPending_ = true;
  if (!lastPaint_.isValid() || lastPaint_.elapsed() >= kPaintIntervalMs) PaintStatus();
}

void TForm2::PaintStatus() {
  if (!statusPending_) return;
  edit7_->show();
  // Written out only when painted: a pass sets a status for every record.
  edit7_->setText(QString::fromStdString(textio::Printable(pendingStatus_)));
  edit7_->repaint();
  statusPending_ = false;
  lastPaint_.restart();
}

void TForm2::ShowMessage(MessageKind kind, std::string_view text) {
  PaintStatus();
  if (skipped_.count(kind)) return;
  const std::string shown = textio::Printable(text);
  QMessageBox box(QMessageBox::NoIcon, "ZORNAK_edz", QString::fromStdString(shown), QMessageBox::Ok,
                  this);
  box.setTextFormat(Qt::PlainText);  // a file's text is never markup
  QPushButton* skip = nullptr;
  if (++boxesShown_[kind] > kBoxesBeforeSkipOffer && kind != MessageKind::Closing) {
    skip = box.addButton("Pomiń kolejne", QMessageBox::RejectRole);
    skip->setToolTip(
        "Nie pokazuj więcej takich komunikatów w tym przebiegu; protokół zawiera "
        "wszystkie");
  }
  box.exec();
  if (skip && box.clickedButton() == skip) skipped_.insert(kind);
}

void TForm2::ShowPanel(int slot, PanelState state) {
  if (slot < 1 || slot > kWorkingFileSlots || !panels_[slot]) return;
  ClickLabel* panel = panels_[slot];
  Paint(panel, ColourOf(PanelColour(state)));
  const bool present = state != PanelState::Absent;
  QFont font = panel->font();
  font.setBold(present);
  panel->setFont(font);
  panel->setFrameStyle(present ? QFrame::Box | QFrame::Plain : QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(present ? 2 : 1);
}

bool TForm2::ShowsPresent(const QLabel* panel) {
  return panel->font().bold() && panel->frameShape() == QFrame::Box;
}

QLineEdit* TForm2::CounterField(Counter counter) const {
  return edits_.at(EditOf(counter));
}

void TForm2::SetCounter(Counter counter, std::string_view text) {
  QLineEdit* edit = edits_.at(EditOf(counter));
  edit->setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  edit->repaint();
}

void TForm2::CreateStatusBar() {
  statusText_ = new ClickLabel(this);
  statusText_->setToolTip("Kliknij, aby wybrać folder roboczy");
  statusText_->setCursor(Qt::PointingHandCursor);
  connect(statusText_, &ClickLabel::clicked, this, &TForm2::ChooseFolder);
  folderButton_ = new QToolButton(this);
  folderButton_->setText("Zmień folder...");
  folderButton_->setToolTip("Wybierz folder roboczy; strzałka: ostatnio używane foldery");
  folderButton_->setAutoRaise(true);
  folderButton_->setPopupMode(QToolButton::MenuButtonPopup);
  auto* recent = new QMenu(folderButton_);
  folderButton_->setMenu(recent);
  connect(recent, &QMenu::aboutToShow, this, &TForm2::FillRecentMenu);
  connect(folderButton_, &QToolButton::clicked, this, &TForm2::ChooseFolder);
  statusBar()->addWidget(statusText_, 1);
  statusBar()->addPermanentWidget(folderButton_);
  statusBar()->setFixedHeight(kStatusBarHeight);
  statusBar()->setSizeGripEnabled(false);
}

void TForm2::ChooseFolder() {
  if (running_) return;
  // From a folder that takes no file (the program's own, once installed) the search starts
  // at home.
  std::string reason;
  const QString start = HasFolder() && textio::CanCreateFileIn(WorkingFolder(), reason)
                            ? QString::fromStdString(WorkingFolder())
                            : DocumentsFolder();
  QFileDialog dialog(this, "Wybierz folder roboczy", start);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  UseFolder(dialog.selectedFiles().first().toStdString());
}

void TForm2::UseFolder(const std::string& folder) {
  if (running_ || !IsFolder(folder)) return;
  folder_ = folder;
  // A refit still running belongs to the folder left; the result shown stays with the
  // folder it was made in, and the windows show it for none other.
  ++generation_;
  ClearRunFigures();
  StartUp();
  RememberFolder(QString::fromStdString(WorkingFolder()));
  RefreshViews();
}

void TForm2::RefreshViews() {
  if (pointsWindow_) pointsWindow_->Refresh(state_.result, WorkingFolder());
  if (mapWindow_) mapWindow_->Refresh(*state_.result, WorkingFolder());
}

void TForm2::FillRecentMenu() {
  QMenu* menu = folderButton_->menu();
  menu->clear();
  for (const QString& folder : RecentFolders()) {
    menu->addAction(folder, this, [this, folder] { UseFolder(folder.toStdString()); });
  }
  if (!menu->isEmpty()) menu->addSeparator();
  menu->addAction("Inny folder...", this, &TForm2::ChooseFolder);
  if (!InstalledExample().empty()) menu->addAction("Otwórz przykład", this, &TForm2::OpenExample);
  menu->addSeparator();
  menu->addAction("Wspólna transformacja folderów...", this, &TForm2::AskAndRunJoint);
}

bool TForm2::OpenExample() {
  if (running_) return false;
  const std::string example = InstalledExample();
  QString error = "Przykładu nie zainstalowano razem z programem";
  const std::string copy =
      example.empty() ? std::string() : CopyOfExample(example, DocumentsFolder(), error);
  if (copy.empty()) {
    QMessageBox::warning(this, "ZORNAK_edz", error);
    return false;
  }
  UseFolder(copy);
  pendingStatus_ = " przykład skopiowano do " + Shown(copy) + " - naciśnij WYKONAJ";
  statusPending_ = true;
  PaintStatus();
  return true;
}

void TForm2::OfferStart() {
  if (HasFolder()) return;
  QMessageBox box(QMessageBox::Question, "ZORNAK_edz",
                  "Nie wybrano folderu roboczego. Wybierz folder z plikami mapy albo otwórz "
                  "przykład, aby wypróbować program.",
                  QMessageBox::NoButton, this);
  QPushButton* choose = box.addButton("Wybierz folder...", QMessageBox::AcceptRole);
  QPushButton* example = InstalledExample().empty()
                             ? nullptr
                             : box.addButton("Otwórz przykład", QMessageBox::ActionRole);
  box.addButton("Anuluj", QMessageBox::RejectRole);
  box.setDefaultButton(choose);
  box.exec();
  if (box.clickedButton() == choose) ChooseFolder();
  if (example && box.clickedButton() == example) OpenExample();
}

void TForm2::ClearRunFigures() {
  for (int c = 0; c < kCounterCount; ++c)
    SetCounter(static_cast<Counter>(c), {});
  pendingStatus_.clear();
  statusPending_ = false;
  edit7_->clear();
  edit7_->hide();
  fitSummary_->clear();
}

void TForm2::ShowRunOutcome() {
  if (!state_.Result().started) {
    pendingStatus_ = " przetwarzanie przerwane - nie można zapisywać w folderze roboczym";
  } else if (!state_.Result().Fit().Usable()) {
    pendingStatus_ = " brak transformacji - pliki mapy nie zostały przeliczone";
  } else {
    return;
  }
  statusPending_ = true;
  PaintStatus();
}

void TForm2::ShowAdjustmentPoints() {
  if (!pointsWindow_) {
    pointsWindow_ = new AdjustmentPointsWindow(
        [this](int kind, int degree) { UseModel(kind, degree); },
        [this](const std::vector<PointNumber>& excluded) { RefitInMemory(excluded); }, this);
    PlaceWindow(pointsWindow_, "punkty", this);
  }
  pointsWindow_->OnPointSelected([this](const QString& nr) {
    if (mapWindow_) mapWindow_->SelectPoint(nr);
  });
  pointsWindow_->Refresh(state_.result, WorkingFolder());
  pointsWindow_->show();
  pointsWindow_->raise();
}

void TForm2::ShowResidualMap() {
  if (!mapWindow_) {
    mapWindow_ = new ResidualMapWindow(
        [this](const QString& nr) {
          if (pointsWindow_) pointsWindow_->SelectPoint(nr);
        },
        this);
    PlaceWindow(mapWindow_, "mapa", this);
  }
  mapWindow_->Refresh(*state_.result, WorkingFolder());
  mapWindow_->show();
  mapWindow_->raise();
}

void TForm2::OpenWorkingFile(int slot) {
  const QString path = QString::fromStdString(state_.files.SlotPath(slot));
  if (!IsBinaryFile(path)) {
    OpenInEditor(path, this);
    return;
  }
  // A database or a picture opens in the system's program for it (QGIS for a GeoPackage,
  // where it is installed), never in the text editor.
  if (openExternally_(path)) return;
  QMessageBox box(QMessageBox::Information, "ZORNAK_edz",
                  "Plik " + QFileInfo(path).fileName() +
                      " nie jest plikiem tekstowym. Otwórz go programem GIS (np. QGIS):\n" +
                      QDir::toNativeSeparators(path),
                  QMessageBox::Ok, this);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

void TForm2::UseModel(int kind, int degree) {
  if (kind < 1 || kind > 2 || degree < 1 || degree > 9) return;
  comboBox1_->setCurrentIndex(kind - 1);
  comboBox2_->setCurrentIndex(degree - 1);
  raise();
  activateWindow();
  modelChosen_ = true;
}

QString TForm2::StatusBarText() const {
  return statusText_->text();
}

void TForm2::StartUp() {
  if (running_) return;
  WorkingFileTable& files = state_.files;
  files.ClearPresence();
  files.WorkingFolder = folder_.empty() ? std::string() : AbsoluteFolder(folder_);
  bitBtn1_->setEnabled(HasFolder() && !refitting_);
  reportButton_->setEnabled(HasFolder());
  reportButton_->setToolTip(HasFolder() ? kReportTip : "Najpierw wybierz folder roboczy");
  if (!HasFolder()) {
    LoadLimits();
    statusText_->setText(kNoFolder);
    for (int slot = 1; slot <= kWorkingFileSlots; ++slot)
      ShowPanel(slot, PanelState::Absent);
    return;
  }
  if (limitsFolder_ != files.WorkingFolder) LoadLimits();
  statusText_->setText(" Folder roboczy = " + QString::fromStdString(files.WorkingFolder));
  if (!modelChosen_) comboBox1_->setCurrentIndex(0);
  files.BuildWorkingFiles();
  files.RefreshPresence(*this);
  MarkStaleOutputs();
}

void TForm2::MarkStaleOutputs() {
  ClickLabel* panel = panels_[slot::kGeoPackage];
  if (!panel) return;
  const RunResult& run = state_.Result();
  const std::vector<std::string>& stale = run.staleOutputs;
  const bool old = run.MadeIn(WorkingFolder()) &&
                   std::find(stale.begin(), stale.end(),
                             state_.files.SlotPath(slot::kGeoPackage)) != stale.end();
  panel->setToolTip(old ? "z poprzedniego przebiegu: mapa innej transformacji niż ostatni przebieg"
                        : QString());
  if (old) {
    Paint(panel, ColourOf(SystemColour::BtnFace));
    PaintText(panel, QColor(128, 128, 128));
  } else {
    PaintText(panel, ColourOf(CaptionColour(slot::kGeoPackage)));
  }
}

void TForm2::BitBtn1Click() {
  if (refitting_ || !HasFolder() || running_ || !SaveLimits()) return;
  if (!jointFolders_.empty() && jointFolder_ == WorkingFolder()) {
    RunJoint(jointFolders_, jointFolder_);
    return;
  }
  running_ = true;
  boxesShown_.clear();
  skipped_.clear();
  showProposal_ = false;
  ++generation_;  // a refit still running belongs to the run before
  ClearRunFigures();
  try {
    RunProcessing(state_, Request(), *this);
    PaintStatus();
    ShowRunOutcome();
    MarkStaleOutputs();
    ShowFitSummary();
    RefreshViews();
    if (showProposal_) {
      ShowAdjustmentPoints();
      pointsWindow_->SelectProposal();
    }
  } catch (const std::exception& e) {
    PaintStatus();
    QMessageBox::critical(this, "ZORNAK_edz",
                          QString("Przetwarzanie przerwane: ") + QString::fromLocal8Bit(e.what()));
  }
  running_ = false;
}

void TForm2::AskAndConvertGisFile() {
  if (running_ || refitting_ || !HasFolder()) return;
  const RunResult& run = state_.Result();
  if (!run.MadeIn(WorkingFolder()) || !run.Fit().Usable()) {
    QMessageBox::information(this, "ZORNAK_edz",
                             "Najpierw wykonaj przebieg (WYKONAJ): plik GIS przelicza się "
                             "transformacją z korektą tego przebiegu.");
    return;
  }
  QFileDialog dialog(this, "Przelicz plik GIS", QString::fromStdString(WorkingFolder()),
                     "Pliki GIS (*.gpkg *.shp *.dxf *.gml *.xml *.geojson *.json *.fgb *.csv *.kml "
                     "*.sqlite *.tab *.mif);;Wszystkie pliki (*)");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  ConvertGisFile(dialog.selectedFiles().first());
}

GisFileResult TForm2::ConvertGisFile(const QString& chosen) {
  // The file as the system names it: the protocol and the messages show its path so.
  const QString path = QDir::toNativeSeparators(chosen);
  ShowStatus(" Przeliczam plik GIS " + path.toStdString());
  PaintStatus();
  const GisFileResult r = ConvertGisFileOfRun(
      {path.toStdString(), "", WorkingFolder(), state_.threads}, state_.Result().Transformation());
  ShowStatus(r.written ? " Zapisano " + r.output : " Pliku GIS nie przeliczono");
  PaintStatus();
  if (!r.error.empty()) {
    QMessageBox box(QMessageBox::Warning, "ZORNAK_edz",
                    "Plik GIS " + path + ": " + QString::fromStdString(r.error), QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  }
  if (r.protocolWritten) OpenInEditor(QString::fromStdString(r.protocol), this);
  return r;
}

void TForm2::FillGisMenu() {
  QMenu* menu = gisButton_->menu();
  menu->clear();
  const QStringList protocols = QDir(QString::fromStdString(WorkingFolder()))
                                    .entryList({"PROTOKOL_GIS_*.txt"}, QDir::Files, QDir::Name);
  // A protocol of another fit than the last run's is named so.
  const RunResult& run = state_.Result();
  const std::string stamp = run.MadeIn(WorkingFolder()) ? FitStamp(run.Transformation()) : "";
  for (const QString& name : protocols) {
    const QString path =
        QString::fromStdString(textio::PathInFolder(WorkingFolder(), name.toStdString()));
    const bool stale = !stamp.empty() && ReadProtocolRecord(path.toStdString()).stamp != stamp;
    menu->addAction(stale ? name + " (z poprzedniego przebiegu)" : name, this,
                    [this, path] { OpenInEditor(path, this); });
  }
  if (protocols.isEmpty()) menu->addAction("Brak przeliczonych plików GIS")->setEnabled(false);
}

void TForm2::AskAndRunJoint() {
  if (running_ || refitting_) return;
  QStringList folders;
  for (const std::string& folder : JointFolders())
    folders << QString::fromStdString(folder);
  if (folders.isEmpty() && HasFolder()) folders << QString::fromStdString(WorkingFolder());
  JointDialog dialog(
      folders, HasFolder() ? QString::fromStdString(WorkingFolder()) : DocumentsFolder(), this);
  if (!jointFolders_.empty() && jointFolder_ == WorkingFolder()) {
    dialog.SetJointFolder(QString::fromStdString(jointFolder_));
  }
  if (dialog.exec() != QDialog::Accepted) return;
  std::vector<std::string> chosen;
  for (const QString& folder : dialog.Folders())
    chosen.push_back(folder.toStdString());
  RunJoint(chosen, dialog.JointFolder().toStdString());
}

std::vector<std::string> TForm2::JointFolders() const {
  return jointFolder_ == WorkingFolder() ? jointFolders_ : std::vector<std::string>{};
}

bool TForm2::RunJoint(const std::vector<std::string>& folders, const std::string& jointFolder) {
  if (running_ || refitting_) return false;
  const RunRequest request = Request();
  ModelChoice choice = request.model;
  choice.ReportDecimals = 4;
  boxesShown_.clear();
  skipped_.clear();
  running_ = true;
  const PreparedJoint prepared = PrepareJoint(folders, jointFolder, choice, state_.threads, *this);
  running_ = false;
  if (!prepared.joint.input) {
    QString why = "Wspólnej transformacji nie wykonano:";
    for (const std::string& problem : prepared.joint.problems)
      why += "\n" + QString::fromStdString(problem);
    QMessageBox box(QMessageBox::Warning, "ZORNAK_edz", why, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return false;
  }
  UseFolder(prepared.folder);
  jointFolder_ = prepared.folder;
  jointFolders_ = prepared.folders;
  running_ = true;
  showProposal_ = false;
  ++generation_;
  ClearRunFigures();
  // One closing box for the whole joint run, with its summary.
  skipped_.insert(MessageKind::Closing);
  state_.jointInput = prepared.joint.input;
  RunProcessing(state_, request, *this);
  state_.jointInput.reset();
  const std::shared_ptr<const RunResult> joint = state_.result;
  const TransformationResult& t = joint->Transformation();
  // One question for all the folders; their runs then go on without asking again.
  bool convert = t.FittedTransformation.Usable();
  if (convert && HasSuspectPoints(t)) convert = ConvertDespiteSuspectPoints(SuspectQuestion(t));
  std::vector<SeamFolder> seams;
  const std::optional<bool> answer = suspectAnswer_;
  suspectAnswer_ = true;
  CounterTotals totals(*this);
  for (std::size_t k = 0; convert && k < prepared.folders.size(); ++k) {
    RunState folder;
    folder.threads = state_.threads;
    folder.jointFit = joint->transformation;
    folder.files.WorkingFolder = prepared.folders[k];
    folder.files.BuildWorkingFiles();
    folder.files.RefreshPresence(totals);
    RunProcessing(folder, request, totals);
    totals.EndFolder();
    seams.push_back(
        SeamFolderOf(prepared.folders[k], folder.result.get(), prepared.inputs[k].get()));
  }
  totals.ShowTotals();
  skipped_.erase(MessageKind::Closing);
  suspectAnswer_ = answer;
  QString summary = QString("Wspólna transformacja %1 folderów").arg(prepared.folders.size());
  if (t.FittedTransformation.Usable()) {
    summary +=
        QString(": m0 = %1 m.")
            .arg(QString::fromStdString(textio::Fixed(t.FittedTransformation.figures.m0, 0, 4)));
  } else {
    summary += ": " + QString::fromStdString(NoTransformationReason(t));
  }
  if (convert) {
    const CountySeams found =
        FindCountySeams(seams, kSeamTolerance, state_.threads,
                        textio::PathInFolder(prepared.folder, kSeamReportName));
    const std::size_t pairs = found.findings.seams.size();
    summary += QString(
                   "\nSzwy: %1 %2 sąsiednich folderów, wierzchołków ponad tolerancję %3 m: "
                   "%4 (%5).")
                   .arg(pairs)
                   .arg(QString::fromStdString(PairsWord(pairs)))
                   .arg(QString::fromStdString(textio::Fixed(found.tolerance, 0, 2)))
                   .arg(found.overTolerance)
                   .arg(found.written ? QString("Szwy.txt w folderze wyników")
                                      : "błąd zapisu " + QString::fromStdString(found.failure));
  } else {
    summary += "\nPliki mapy folderów nie zostały przeliczone.";
  }
  StartUp();
  running_ = false;
  PaintStatus();
  ShowRunOutcome();
  ShowFitSummary();
  RefreshViews();
  QMessageBox done(QMessageBox::Information, "ZORNAK_edz", summary, QMessageBox::Ok, this);
  done.setTextFormat(Qt::PlainText);
  done.exec();
  if (showProposal_) {
    ShowAdjustmentPoints();
    pointsWindow_->SelectProposal();
  }
  return true;
}

void TForm2::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) StartUp();
}

bool TForm2::CloseEditors() {
  QList<TForm4*> modified;
  for (TForm4* editor : findChildren<TForm4*>(Qt::FindDirectChildrenOnly)) {
    if (editor->isVisible() && editor->Modified()) modified << editor;
  }
  if (modified.isEmpty()) return true;
  QString names;
  for (const TForm4* editor : modified)
    names += "\n  " + editor->Caption();
  QMessageBox box(QMessageBox::Question, "ZORNAK_edz",
                  "Czy zapisać zmiany w dokumentach:" + names + " ?",
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
  box.button(QMessageBox::Save)->setText("Zapisz");
  box.button(QMessageBox::Discard)->setText("Odrzuć");
  box.button(QMessageBox::Cancel)->setText("Anuluj");
  box.setDefaultButton(QMessageBox::Save);
  const int answer = box.exec();
  if (answer == QMessageBox::Cancel) return false;
  for (TForm4* editor : modified) {
    if (answer == QMessageBox::Save) {
      editor->Zapisz1Click();
      if (editor->Modified()) return false;  // not saved: the program stays
    } else {
      editor->Text()->document()->setModified(false);
    }
  }
  return true;
}

TForm2::~TForm2() {
  if (refitThread_.joinable()) refitThread_.join();
}

bool TForm2::ConvertDespiteSuspectPoints(std::string_view question) {
  bool convert = true;
  if (suspectAnswer_) {
    convert = *suspectAnswer_;
  } else {
    PaintStatus();
    QMessageBox box(QMessageBox::Warning, "ZORNAK_edz",
                    QString::fromUtf8(question.data(), question.size()), QMessageBox::NoButton,
                    this);
    QPushButton* anyway = box.addButton("Przelicz mapy mimo to", QMessageBox::AcceptRole);
    QPushButton* show = box.addButton("Nie przeliczaj – pokaż punkty", QMessageBox::RejectRole);
    box.setDefaultButton(show);
    box.exec();
    convert = box.clickedButton() == anyway;
  }
  showProposal_ = !convert;
  return convert;
}

// "m0 = 0.0205 m · największa odchyłka 0.0619 m (PD-136) · podejrzane: 0 · wyłączone: 0"
void TForm2::ShowFitSummary() {
  const RunResult& run = state_.Result();
  const TransformationResult& t = run.Transformation();
  const TFittedTransformation& f = t.FittedTransformation;
  if (!run.MadeIn(WorkingFolder()) || !f.fitted) {
    fitSummary_->setText(run.MadeIn(WorkingFolder())
                             ? QString::fromStdString(NoTransformationReason(t)).toHtmlEscaped()
                             : QString());
    return;
  }
  const int flagged = SuspectPointCount(t);
  const QString number = QString::fromStdString(ShownNumber(f.figures.maxResidualPoint));
  QString suspect = QString("podejrzane: %1").arg(flagged);
  if (flagged > 0)
    suspect = "<span style=\"color:#c00000; font-weight:bold\">" + suspect + "</span>";
  // The job's limits as the fields hold them now (the run's Limity.txt until they are edited):
  // the verdict follows the fields without another run.
  const std::vector<LimitCheck> limits = CheckLimits(ShownLimits(t.limits), f.figures);
  if (!limits.empty()) {
    suspect += AllMet(limits)
                   ? QString(" &nbsp;·&nbsp; limity: spełnia")
                   : QString(
                         " &nbsp;·&nbsp; <span style=\"color:#c00000; font-weight:bold\">"
                         "limity: nie spełnia</span>");
  }
  // Flagged at 0.001 but below the set's critical value: to look at, no question asked.
  if (const int toCheck = ToCheckPointCount(t); toCheck > 0)
    suspect += QString(" &nbsp;·&nbsp; do sprawdzenia: %1").arg(toCheck);
  fitSummary_->setText(
      QString("m0 = %1 m &nbsp;·&nbsp; największa odchyłka %2 m (%3) &nbsp;·&nbsp; %4 "
              "&nbsp;·&nbsp; wyłączone: %5")
          .arg(QString::fromStdString(textio::Fixed(f.figures.m0, 0, 4)))
          .arg(QString::fromStdString(textio::Fixed(f.figures.maxResidual, 0, 4)))
          .arg(number.toHtmlEscaped())
          .arg(suspect)
          .arg(t.excluded));
}

void TForm2::RefitInMemory(const std::vector<PointNumber>& excluded) {
  const std::shared_ptr<const RunResult> base = state_.result;
  if (running_ || refitting_ || !base->MadeIn(WorkingFolder())) return;
  const long double m0Before = base->Fit().figures.m0;
  const double budget = state_.transformation.comparisonBudget;
  // A few thousand points refit within the blink of a tick; more go to a worker thread. The
  // worker reads the result it was given, which nothing changes, computes a new one with
  // work tables of its own, and hands it to this thread, which alone swaps it in.
  constexpr std::size_t kWorkerFrom = 5000;
  if (base->Transformation().input->points.size() < kWorkerFrom) {
    state_.result = RefitResult(*base, excluded, budget, state_.transformation.work);
    AfterRefit(m0Before);
    return;
  }
  refitting_ = true;
  ++workerRefits_;
  bitBtn1_->setEnabled(false);
  if (pointsWindow_) pointsWindow_->setEnabled(false);
  if (refitThread_.joinable()) refitThread_.join();
  const int generation = generation_;
  refitThread_ =
      std::thread([this, base, excluded, budget, m0Before, generation, work = refitWork_] {
        std::shared_ptr<const RunResult> refit = RefitResult(*base, excluded, budget, *work);
        QMetaObject::invokeMethod(
            this,
            [this, refit = std::move(refit), m0Before, generation] {
              refitThread_.join();
              refitting_ = false;
              bitBtn1_->setEnabled(HasFolder());
              if (pointsWindow_) pointsWindow_->setEnabled(true);
              // A run or another folder came since: the refit answers a question no longer asked.
              if (generation != generation_) return;
              state_.result = refit;
              AfterRefit(m0Before);
            },
            Qt::QueuedConnection);
      });
}

void TForm2::AskAndWriteReport() {
  if (running_ || !HasFolder()) return;
  QFileDialog dialog(
      this, "Zapisz raport PDF",
      QString::fromStdString(textio::PathInFolder(WorkingFolder(), kPdfReportFileName)),
      "Dokument PDF (*.pdf)");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("pdf");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  WriteReport(dialog.selectedFiles().first());
}

bool TForm2::WriteReport(const QString& path) {
  // The report is made from the result shown now, held for as long as it is written.
  const std::shared_ptr<const RunResult> run = state_.result;
  std::string error;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool written =
      WritePdfReport(ReportInput{*run, WorkingFolder(), executor_->text().trimmed().toStdString()},
                     path.toStdString(), error);
  QApplication::restoreOverrideCursor();
  if (!written) {
    QMessageBox::critical(this, "ZORNAK_edz", QString::fromStdString(error));
    return false;
  }
  pendingStatus_ = " zapisano raport " + Shown(path.toStdString());
  statusPending_ = true;
  PaintStatus();
  return true;
}

void TForm2::AfterRefit(long double m0Before) {
  const RunResult& run = state_.Result();
  const TFittedTransformation& f = run.Fit();
  ShowFitSummary();
  RefreshViews();
  if (pointsWindow_) {
    pointsWindow_->ShowRefitNote(
        QString("m0 przed → po: %1 → %2 m. %3")
            .arg(QString::fromStdString(textio::Fixed(m0Before, 0, 4)))
            .arg(f.fitted ? QString::fromStdString(textio::Fixed(f.figures.m0, 0, 4))
                          : QString("brak transformacji"))
            .arg(run.refitted ? "Pliki wynikowe są z poprzedniego przebiegu: WYKONAJ zapisze nowe."
                              : "Wyłączenia jak w plikach wynikowych."));
  }
  pendingStatus_ = run.refitted
                       ? " wyniki w plikach pochodzą z poprzedniego przebiegu - naciśnij WYKONAJ"
                       : " wyłączenia jak w plikach wynikowych";
  statusPending_ = true;
  PaintStatus();
}

void TForm2::closeEvent(QCloseEvent* event) {
  // A refit may still be running: its result is dropped, and the window's end waits for it.
  if (running_ || !CloseEditors()) {
    event->ignore();
    return;
  }
  ++generation_;
  for (QWidget* window : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (window->isWindow()) window->close();
  }
  event->accept();
}
