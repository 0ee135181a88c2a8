// The text editor: any file of the working folder as plain Windows-1250 text lines, with
// find, save, print, font size and a close question. Every panel click opens a new window;
// each acts on its own text and caption only. The caption is the document's file name.
#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QString>

class QAction;
class QDialog;
class QFileSystemWatcher;
class QTimer;
class QLineEdit;
class QPrinter;
class QSlider;
class QTextEdit;

class TForm4 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm4(QWidget* parent = nullptr);

  const QString& Caption() const { return caption_; }
  // The text is as on disk (or a new, empty document): unmodified, no "*" in the title.
  void MarkUnmodified();
  bool Modified() const;
  QTextEdit* Text() const { return text_; }
  QSlider* TrackBar1() const { return trackBar1_; }
  QLineEdit* Edit1() const { return edit1_; }
  QLineEdit* FindText() const { return findText_; }
  QDialog* FindDialog() const { return findDialog_; }

  // Loads `path` (a missing file gives a single-blank line); false with a message when the
  // file cannot be read.
  bool LoadFile(const QString& path);
  // Writes the text to `path` in Windows-1250 with CR LF; false with a message on failure.
  bool WriteFile(const QString& path);
  // The window width that shows the longest line whole at the text's font, within `limit`.
  int WidthForText(int limit) const;
  // Prints the text with a 35-point first-line indent, titled with the file name.
  void PrintTo(QPrinter& printer);
  void SetCaption(const QString& caption);

  // The commands of the menus, toolbar and popup.
  void Nowy1Click();
  void Otworz1Click();
  void Zapisz1Click();
  void Zapiszjako1Click();
  void Drukuj1Click();
  void Cofnij1Click();
  void Znajdz1Click();
  void BoldClick();
  void FontClick();
  void FindNext();
  // Closes at once when nothing is modified; otherwise asks "Czy zapisać zmiany ?".
  void ConfirmClose();
  QWidget* CloseButton() const { return closeButton_; }

 protected:
  // The window's own close button asks like ZAMKNIJ.
  void closeEvent(QCloseEvent* event) override;

 private:
  // Before the text is replaced or the window closes: true when there are no unsaved
  // changes, or the user saved them or chose to drop them; false when they cancelled.
  bool MaybeSave();
  void CreateActions();
  void CreateToolBar();
  void CreateFindDialog();
  void SizeBoxEntered();
  // The document's file is watched: a change by another program (a run of the main window)
  // reloads an unmodified text and says so, and asks before a modified one is replaced.
  void CreateWatcher();
  void Watch();
  void FileChangedOnDisk();
  // True when the file is as it was loaded or last saved, or the user still wants to save
  // over the other program's change.
  bool SaveOverChangedFile();

  QTextEdit* text_;
  QSlider* trackBar1_;
  QLineEdit* edit1_;
  QDialog* findDialog_ = nullptr;
  QLineEdit* findText_ = nullptr;
  QString caption_;
  bool untitled_ = false;  // after "&Nowy": saving asks for a name
  QWidget* closeButton_ = nullptr;
  QFileSystemWatcher* watcher_ = nullptr;
  QTimer* settle_ = nullptr;
  QByteArray diskDigest_;  // of the file as loaded or last saved
  QAction *nowy_, *otworz_, *zapisz_, *zapiszJako_, *drukuj_, *wyjscie_, *cofnij_, *wytnij_,
      *kopiuj_, *wklej_, *znajdz_, *dalej_;
};

// True when the file holds bytes no text has (a NUL among its first 64 KB): a GeoPackage, a
// picture, a PDF.
bool IsBinaryFile(const QString& path);

// Opens `path` in a new editor window owned by `owner`, shown at once where it covers least
// of the owner and of the editors already open, inside the screen, wide enough for the
// file's longest line when the screen allows. Null, after a message, for a file that cannot
// be read or is no text.
TForm4* OpenInEditor(const QString& path, QWidget* owner);
