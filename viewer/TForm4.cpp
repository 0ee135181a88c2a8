#include "viewer/TForm4.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "textio/Cp1250.h"
#include "textio/SystemReason.h"
#include "textio/TextFile.h"
#include "viewer/Look.h"

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

}  // namespace

TForm4::TForm4(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      text_(new QTextEdit(this)),
      trackBar1_(new QSlider(Qt::Horizontal, this)),
      edit1_(new QLineEdit(QString::number(kInitialSize), this)) {
  resize(642, 531);
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
  SetCaption(kUntitled);
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

  QMenu* plik = menuBar()->addMenu("Plik");
  plik->addActions({nowy_, otworz_, zapisz_, zapiszJako_, drukuj_, wyjscie_});
  menuBar()->addMenu("Edycja")->addActions({cofnij_, wytnij_, kopiuj_, wklej_});
  menuBar()->addMenu("Znajdź")->addAction(znajdz_);

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
}

bool TForm4::Modified() const {
  return text_->document()->isModified();
}

bool TForm4::LoadFile(const QString& path) {
  const std::string name = path.toStdString();
  if (!QFileInfo::exists(path)) {
    text_->setPlainText(" ");
    return true;
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
  return true;
}

bool TForm4::WriteFile(const QString& path) {
  textio::TextFileWriter writer;
  writer.Create(path.toStdString());
  for (const QString& line : text_->toPlainText().split('\n')) {
    writer.WriteLine(textio::Utf8ToCp1250(line.toStdString()));
  }
  if (!writer.Close()) {
    QMessageBox::critical(this, "ZORNAK_edz",
                          "Błąd zapisu pliku " + QString::fromStdString(writer.FailureText()));
    return false;
  }
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
  text_->document()->setModified(false);  // only a change of the text marks it
  if (QFileInfo(caption_).fileName() != kUntitled) SetCaption(FolderPart(caption_) + kUntitled);
  untitled_ = true;
}

void TForm4::Otworz1Click() {
  QFileDialog dialog(this, "Otwórz", FolderPart(caption_), kFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().first();
  if (!MaybeSave() || !LoadFile(path)) return;
  text_->document()->setModified(false);
  SetCaption(path);
  untitled_ = false;
}

void TForm4::Zapisz1Click() {
  if (untitled_) {
    Zapiszjako1Click();
    return;
  }
  if (WriteFile(caption_)) text_->document()->setModified(false);
}

void TForm4::Zapiszjako1Click() {
  QFileDialog dialog(this, "Zapisz jako", FolderPart(caption_), kFilter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().first();
  if (!WriteFile(path)) return;
  text_->document()->setModified(false);
  SetCaption(path);
  untitled_ = false;
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
  if (search.isEmpty()) return;
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
    text_->document()->setModified(false);
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

TForm4* OpenInEditor(const QString& path, QWidget* owner) {
  int open = 0;
  if (owner) {
    for (const TForm4* other : owner->findChildren<TForm4*>(Qt::FindDirectChildrenOnly))
      open += other->isVisible() ? 1 : 0;
  }
  auto* editor = new TForm4(owner);
  editor->SetCaption(path);
  editor->LoadFile(path);
  constexpr int kStep = 28;
  const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
  const QPoint step = QPoint(kStep, kStep) * (open % 8);
  QPoint at = (owner ? owner->frameGeometry().topRight() + QPoint(8, 0) : free.topLeft()) + step;
  // An editor that would stand out past the screen's right or bottom edge cascades from
  // its top left corner instead.
  if (at.x() + editor->width() > free.right()) at.setX(free.left() + step.x());
  if (at.y() + editor->height() > free.bottom()) at.setY(free.top() + step.y());
  editor->move(at);
  editor->show();
  editor->Text()->document()->setModified(false);
  return editor;
}
