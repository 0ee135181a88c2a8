#include "viewer/TForm4.h"

#include <QAction>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "textio/Cp1250.h"
#include "textio/SystemReason.h"
#include "textio/TextFile.h"
#include "viewer/Look.h"
#include "viewer/WindowPlace.h"

namespace {

const QString kUntitled = "Nowy dokument";
const QString kFilter = "Wszystkie pliki (*)";
constexpr int kInitialSize = 8;
// 35 points of first-line indent, in the 96-dpi units the text layout uses.
constexpr qreal kPrintIndent = 35 * 96.0 / 72;

QString SystemReason() {
  return QString::fromStdString(textio::SystemReason(errno));
}

QString FolderPart(const QString& caption) {
  return caption.left(caption.lastIndexOf('/') + 1);
}

// What the file holds on disk, to tell a change by another program from our own save; empty
// when there is no file.
QByteArray DiskDigest(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Sha1);
  hash.addData(&file);
  return hash.result();
}

// A run writes its report in several steps; the document follows once they settle.
constexpr int kSettleMs = 200;

}  // namespace

TForm4::TForm4(QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      text_(new QTextEdit(this)),
      trackBar1_(new QSlider(Qt::Horizontal, this)),
      edit1_(new QLineEdit(QString::number(kInitialSize), this)) {
  resize(642, 531);
  // Escape closes the editor as it closes a dialog (asking first about unsaved changes).
  new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
  text_->setAcceptRichText(false);
  text_->setLineWrapMode(QTextEdit::NoWrap);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setFont(WindowsFont("Courier New", kInitialSize));
  // The selection stays visible when the text area loses the focus.
  QPalette palette = text_->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  text_->setPalette(palette);
  setCentralWidget(text_);
  connect(text_->document(), &QTextDocument::modificationChanged, this,
          &QWidget::setWindowModified);
  CreateActions();
  CreateToolBar();
  CreateFindDialog();
  CreateWatcher();
  SetCaption(kUntitled);
}

void TForm4::CreateWatcher() {
  watcher_ = new QFileSystemWatcher(this);
  settle_ = new QTimer(this);
  settle_->setSingleShot(true);
  settle_->setInterval(kSettleMs);
  connect(settle_, &QTimer::timeout, this, &TForm4::FileChangedOnDisk);
  // A file replaced by renaming another over it (as every output of the program is written)
  // leaves the watch; the folder's watch brings it back.
  connect(watcher_, &QFileSystemWatcher::fileChanged, settle_, qOverload<>(&QTimer::start));
  connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
}

void TForm4::Watch() {
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
  if (untitled_ || !QFileInfo(caption_).isAbsolute()) return;
  const QString folder = QFileInfo(caption_).absolutePath();
  if (QFileInfo(folder).isDir()) watcher_->addPath(folder);
  if (QFileInfo::exists(caption_)) watcher_->addPath(caption_);
}

void TForm4::FileChangedOnDisk() {
  if (untitled_) return;
  if (!watcher_->files().contains(caption_) && QFileInfo::exists(caption_))
    watcher_->addPath(caption_);
  const QByteArray digest = DiskDigest(caption_);
  if (digest == diskDigest_ || digest.isEmpty()) return;
  const QString name = QFileInfo(caption_).fileName();
  if (Modified()) {
    QMessageBox box(QMessageBox::Question, "ZORNAK_edz",
                    "Plik " + name +
                        " został zmieniony na dysku.\nWczytać go ponownie? Zmiany w tym oknie "
                        "zostaną utracone.",
                    QMessageBox::NoButton, this);
    QPushButton* reload = box.addButton("Wczytaj ponownie", QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton("Zachowaj moje", QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    if (box.clickedButton() != reload) {
      statusBar()->showMessage("Plik " + name + " na dysku jest nowszy niż ten tekst");
      return;
    }
  }
  const int position = text_->textCursor().position();
  if (!LoadFile(caption_)) return;
  MarkUnmodified();
  QTextCursor cursor = text_->textCursor();
  cursor.setPosition(std::min(position, text_->document()->characterCount() - 1));
  text_->setTextCursor(cursor);
  statusBar()->showMessage("Plik " + name + " zmienił się na dysku - wczytano go ponownie");
}

bool TForm4::SaveOverChangedFile() {
  const QByteArray digest = DiskDigest(caption_);
  if (digest.isEmpty() || digest == diskDigest_) return true;
  QMessageBox box(QMessageBox::Warning, "ZORNAK_edz",
                  "Plik " + QFileInfo(caption_).fileName() +
                      " został zmieniony na dysku po otwarciu.\nZapisać ten tekst w jego "
                      "miejsce?",
                  QMessageBox::NoButton, this);
  QPushButton* save = box.addButton("Zapisz mimo to", QMessageBox::AcceptRole);
  // Enter keeps the other program's file: overwriting it is a choice, not a default.
  box.setDefaultButton(box.addButton("Anuluj", QMessageBox::RejectRole));
  box.exec();
  return box.clickedButton() == save;
}

void TForm4::CreateActions() {
  auto action = [this](const QString& text, void (TForm4::*slot)(), const QString& hint = {}) {
    auto* a = new QAction(text, this);
    if (!hint.isEmpty()) a->setToolTip(hint);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  nowy_ = action("&Nowy", &TForm4::Nowy1Click, "Nowy plik");
  otworz_ = action("&Otwórz...", &TForm4::Otworz1Click, "Otwórz zbiór");
  zapisz_ = action("&Zapisz", &TForm4::Zapisz1Click, "Zapisz plik");
  zapiszJako_ = action("Zapisz &jako...", &TForm4::Zapiszjako1Click);
  drukuj_ = action("&Drukuj...", &TForm4::Drukuj1Click, "Drukuj plik");
  wyjscie_ = action("W&yjście", &TForm4::ConfirmClose);
  cofnij_ = action("Cofnij", &TForm4::Cofnij1Click, "Cofanie o 1 krok");
  dalej_ = action("Znajdź &następny", &TForm4::FindNext);
  wytnij_ = new QAction("&Wytnij", this);
  wytnij_->setToolTip("Wytnij zaznaczony tekst");
  connect(wytnij_, &QAction::triggered, text_, &QTextEdit::cut);
  kopiuj_ = new QAction("&Kopiuj", this);
  kopiuj_->setToolTip("Kopiuj do schowka");
  connect(kopiuj_, &QAction::triggered, text_, &QTextEdit::copy);
  wklej_ = new QAction("Wkl&ej", this);
  wklej_->setToolTip("Wklej ze schowka");
  connect(wklej_, &QAction::triggered, text_, &QTextEdit::paste);
  znajdz_ = action("Znajdź...", &TForm4::Znajdz1Click, "Szukaj ciągu znaków");
  // The standard keys of the desktop; the menus show them beside the commands.
  const std::pair<QAction*, QKeySequence::StandardKey> keys[] = {
      {nowy_, QKeySequence::New},     {otworz_, QKeySequence::Open},
      {zapisz_, QKeySequence::Save},  {zapiszJako_, QKeySequence::SaveAs},
      {drukuj_, QKeySequence::Print}, {wyjscie_, QKeySequence::Close},
      {cofnij_, QKeySequence::Undo},  {wytnij_, QKeySequence::Cut},
      {kopiuj_, QKeySequence::Copy},  {wklej_, QKeySequence::Paste},
      {znajdz_, QKeySequence::Find},  {dalej_, QKeySequence::FindNext},
  };
  for (const auto& [command, key] : keys)
    command->setShortcut(key);
  // Ctrl+W closes on every desktop, F3 finds the next one on every desktop.
  wyjscie_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W)});
  dalej_->setShortcuts({QKeySequence(Qt::Key_F3)});

  QMenu* plik = menuBar()->addMenu("Plik");
  plik->addActions({nowy_, otworz_, zapisz_, zapiszJako_, drukuj_, wyjscie_});
  menuBar()->addMenu("Edycja")->addActions({cofnij_, wytnij_, kopiuj_, wklej_});
  menuBar()->addMenu("Znajdź")->addActions({znajdz_, dalej_});

  text_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(text_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu popup(this);
    popup.addAction("Cofnij", this, &TForm4::Cofnij1Click);
    popup.addAction("Wytnij", text_, &QTextEdit::cut);
    popup.addAction("Kopiuj", text_, &QTextEdit::copy);
    popup.addAction("Wklej", text_, &QTextEdit::paste);
    popup.exec(text_->mapToGlobal(at));
  });
}

void TForm4::CreateToolBar() {
  // The desktop theme's standard icons by their freedesktop names, so each means what it
  // says; Qt's own where it has one that fits.
  const QStyle* s = style();
  const struct {
    QAction* action;
    const char* name;
    QIcon fallback;
  } icons[] = {
      {nowy_, "document-new", s->standardIcon(QStyle::SP_FileIcon)},
      {otworz_, "document-open", s->standardIcon(QStyle::SP_DialogOpenButton)},
      {zapisz_, "document-save", s->standardIcon(QStyle::SP_DialogSaveButton)},
      {drukuj_, "document-print", {}},
      {znajdz_, "edit-find", {}},
      {wytnij_, "edit-cut", {}},
      {kopiuj_, "edit-copy", {}},
      {wklej_, "edit-paste", {}},
      {cofnij_, "edit-undo", s->standardIcon(QStyle::SP_ArrowBack)},
  };
  for (const auto& icon : icons)
    icon.action->setIcon(QIcon::fromTheme(icon.name, icon.fallback));

  QToolBar* bar = addToolBar("Narzędzia");
  bar->setMovable(false);
  // 16-pixel icons and a short track bar keep the whole bar, ZAMKNIJ at its end, within the
  // editor's own width.
  bar->setIconSize(QSize(16, 16));
  bar->addSeparator();
  bar->addAction(nowy_);
  bar->addSeparator();
  bar->addActions({otworz_, zapisz_});
  bar->addSeparator();
  bar->addAction(drukuj_);
  bar->addSeparator();
  bar->addAction(znajdz_);
  bar->addSeparator();
  bar->addActions({wytnij_, kopiuj_, wklej_});
  bar->addSeparator();
  bar->addAction(cofnij_);
  bar->addSeparator();
  bar->addSeparator();
  QAction* bold = bar->addAction("B", this, &TForm4::BoldClick);
  bold->setToolTip("font = [ Bold ]");
  bold->setFont(WindowsFont("MS Sans Serif", 8, true));
  trackBar1_->setRange(5, 20);
  trackBar1_->setTickInterval(3);
  trackBar1_->setTickPosition(QSlider::TicksBelow);
  trackBar1_->setValue(kInitialSize);
  trackBar1_->setFixedWidth(90);
  trackBar1_->setToolTip("Ustaw wielkość znaków");
  bar->addWidget(trackBar1_);
  edit1_->setToolTip("Wielko");
  edit1_->setFixedWidth(32);
  bar->addWidget(edit1_);
  bar->addAction("F", this, &TForm4::FontClick)->setToolTip("font [do druku]");
  bar->addSeparator();
  bar->addSeparator();
  auto* close = new QPushButton(QIcon::fromTheme("window-close"), "ZAMKNIJ", this);
  connect(close, &QPushButton::clicked, this, &TForm4::ConfirmClose);
  bar->addWidget(close);
  closeButton_ = close;

  connect(trackBar1_, &QSlider::valueChanged, this, [this](int size) {
    QFont font = text_->font();
    font.setPointSize(size);
    text_->setFont(font);
    edit1_->setText(QString::number(size));
    text_->setFocus();
  });
  connect(edit1_, &QLineEdit::returnPressed, this, &TForm4::SizeBoxEntered);
}

void TForm4::CreateFindDialog() {
  findDialog_ = new QDialog(this);
  findDialog_->setWindowTitle("Znajdź");
  findText_ = new QLineEdit(findDialog_);
  auto* next = new QPushButton("Znajdź &następny", findDialog_);
  auto* cancel = new QPushButton("Anuluj", findDialog_);
  next->setDefault(true);
  auto* layout = new QHBoxLayout(findDialog_);
  layout->addWidget(new QLabel("Znajdź:", findDialog_));
  layout->addWidget(findText_);
  layout->addWidget(next);
  layout->addWidget(cancel);
  connect(next, &QPushButton::clicked, this, &TForm4::FindNext);
  connect(cancel, &QPushButton::clicked, findDialog_, &QDialog::hide);
}

void TForm4::SetCaption(const QString& caption) {
  caption_ = caption;
  setWindowTitle(caption + "[*]");
  Watch();
}

void TForm4::MarkUnmodified() {
  text_->document()->setModified(false);
  // The document's own signal does not come when loading an empty text leaves its flag as
  // it was, so the title's mark follows the flag here.
  setWindowModified(false);
}

bool TForm4::Modified() const {
  return text_->document()->isModified();
}

bool IsBinaryFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  return file.read(64 * 1024).contains('\0');
}

bool TForm4::LoadFile(const QString& path) {
  const std::string name = path.toStdString();
  if (!QFileInfo::exists(path)) {
    text_->setPlainText(" ");
    diskDigest_.clear();
    return true;
  }
  // A text editor that opened a database would destroy it on the first save.
  if (IsBinaryFile(path)) {
    QMessageBox::warning(this, "ZORNAK_edz",
                         "Plik " + path +
                             " nie jest plikiem tekstowym: edytor go nie otwiera, aby go nie "
                             "uszkodzić.");
    return false;
  }
  textio::TextFileReader reader;
  if (!reader.Open(name)) {
    QMessageBox::critical(this, "ZORNAK_edz",
                          "Nie można odczytać pliku " + path + ": " + SystemReason());
    return false;
  }
  std::string all, line;
  for (bool first = true; reader.ReadLine(line); first = false) {
    if (!first) all += '\n';
    all += textio::Cp1250ToUtf8(line);
  }
  text_->setPlainText(QString::fromStdString(all));
  diskDigest_ = DiskDigest(path);
  return true;
}

bool TForm4::WriteFile(const QString& path) {
  textio::TextFileWriter writer;
  writer.Create(path.toStdString());
  for (const QString& line : text_->toPlainText().split('\n')) {
    writer.WriteUtf8Line(line.toStdString());
  }
  if (!writer.Close()) {
    QMessageBox::critical(this, "ZORNAK_edz",
                          "Błąd zapisu pliku " + QString::fromStdString(writer.FailureText()));
    return false;
  }
  diskDigest_ = DiskDigest(path);
  return true;
}

void TForm4::PrintTo(QPrinter& printer) {
  QTextDocument buffer;
  buffer.setDefaultFont(text_->font());
  buffer.setPlainText(text_->toPlainText());
  QTextCursor all(&buffer);
  all.select(QTextCursor::Document);
  QTextBlockFormat indent;
  indent.setTextIndent(kPrintIndent);
  all.mergeBlockFormat(indent);
  printer.setDocName(QFileInfo(caption_).fileName());
  buffer.print(&printer);
}

void TForm4::Nowy1Click() {
  if (!MaybeSave()) return;
  text_->clear();
  MarkUnmodified();  // only a change of the text marks it
  untitled_ = true;
  diskDigest_.clear();
  if (QFileInfo(caption_).fileName() != kUntitled) SetCaption(FolderPart(caption_) + kUntitled);
  Watch();
}

void TForm4::Otworz1Click() {
  QFileDialog dialog(this, "Otwórz", FolderPart(caption_), kFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().first();
  if (!MaybeSave() || !LoadFile(path)) return;
  MarkUnmodified();
  untitled_ = false;
  SetCaption(path);
}

void TForm4::Zapisz1Click() {
  if (untitled_) {
    Zapiszjako1Click();
    return;
  }
  if (!SaveOverChangedFile()) return;
  if (WriteFile(caption_)) MarkUnmodified();
}

void TForm4::Zapiszjako1Click() {
  QFileDialog dialog(this, "Zapisz jako", FolderPart(caption_), kFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().first();
  if (!WriteFile(path)) return;
  MarkUnmodified();
  untitled_ = false;
  SetCaption(path);
}

void TForm4::Drukuj1Click() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

void TForm4::Cofnij1Click() {
  text_->undo();
  text_->document()->setModified(true);
}

void TForm4::Znajdz1Click() {
  findDialog_->show();
  findDialog_->raise();
}

void TForm4::BoldClick() {
  QFont font = text_->font();
  const bool exactlyBold = font.bold() && !font.italic() && !font.underline() && !font.strikeOut();
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  font.setBold(!exactlyBold);
  text_->setFont(font);
}

void TForm4::FontClick() {
  static QFont lastChoice = WindowsFont("MS Sans Serif", 8);
  bool chosen = false;
  const QFont font = QFontDialog::getFont(&chosen, lastChoice, this);
  if (!chosen) return;
  lastChoice = font;
  text_->setFont(font);
}

void TForm4::SizeBoxEntered() {
  bool whole = false;
  const int size = edit1_->text().trimmed().toInt(&whole);
  if (!whole) {
    QMessageBox::critical(this, "ZORNAK_edz",
                          "'" + edit1_->text() + "' nie jest poprawną liczbą całkowitą");
    return;
  }
  if (size >= 3 && size <= 20) trackBar1_->setValue(size);
  edit1_->setText(QString::number(trackBar1_->value()));
}

// The search starts at the end of a selection equal to the search text, else at the top;
// it matches letter case and runs downward only.
void TForm4::FindNext() {
  text_->setFocus();
  const QString search = findText_->text();
  if (search.isEmpty()) {
    Znajdz1Click();
    return;
  }
  QTextCursor cursor = text_->textCursor();
  const int start = cursor.selectedText() == search ? cursor.selectionEnd() : 0;
  const int found = text_->toPlainText().indexOf(search, start, Qt::CaseSensitive);
  if (found < 0) {
    QMessageBox::information(this, "Informacja", "Nie można odnaleźć łańcucha");
    return;
  }
  cursor.setPosition(found);
  cursor.setPosition(found + static_cast<int>(search.size()), QTextCursor::KeepAnchor);
  text_->setTextCursor(cursor);
  text_->ensureCursorVisible();
}

bool TForm4::MaybeSave() {
  if (!Modified()) return true;
  const auto answer =
      QMessageBox::question(this, "Veltra", "Czy zapisać zmiany ?",
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Yes) {
    Zapisz1Click();
    return !Modified();  // not saved: the text stays
  }
  if (answer == QMessageBox::No) {
    MarkUnmodified();
    return true;
  }
  return false;
}

void TForm4::ConfirmClose() {
  if (MaybeSave()) hide();
}

void TForm4::closeEvent(QCloseEvent* event) {
  if (MaybeSave()) {
    event->accept();
  } else {
    event->ignore();
  }
}

int TForm4::WidthForText(int limit) const {
  const QFontMetrics metrics(text_->font());
  int widest = 0;
  for (QTextBlock block = text_->document()->begin(); block.isValid(); block = block.next())
    widest = std::max(widest, metrics.horizontalAdvance(block.text()));
  const int margins = 2 * static_cast<int>(text_->document()->documentMargin()) +
                      2 * text_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                      metrics.averageCharWidth();
  return std::clamp(widest + margins, width(), std::max(width(), limit));
}

TForm4* OpenInEditor(const QString& path, QWidget* owner) {
  QList<QRect> open;
  if (owner) {
    for (const TForm4* other : owner->findChildren<TForm4*>(Qt::FindDirectChildrenOnly)) {
      if (other->isVisible()) open << other->frameGeometry();
    }
  }
  auto* editor = new TForm4(owner);
  editor->SetCaption(path);
  // A file it cannot read, or should not, gets no window: saving an empty text over it
  // would destroy it.
  if (!editor->LoadFile(path)) {
    delete editor;
    return nullptr;
  }
  const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
  editor->resize(editor->WidthForText(free.width() - 16), editor->height());
  if (owner) {
    const QSize frame = owner->frameGeometry().size() - owner->geometry().size();
    const QRect place = PlaceBeside(owner->frameGeometry(), editor->size() + frame, free, open);
    editor->resize(place.size() - frame);
    editor->move(place.topLeft());
  }
  editor->show();
  KeepOnScreen(editor, free);
  editor->MarkUnmodified();
  return editor;
}
