#include "desktop/JointDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A folder as the dialog shows and compares it: clean, in the system's own separators
// (backslashes on Windows).
QString Shown(const QString& folder) {
  return QDir::toNativeSeparators(QDir::cleanPath(folder));
}

QString Chosen(QWidget* parent, const QString& title, const QString& start) {
  QFileDialog dialog(parent, title, start);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

JointDialog::JointDialog(const QStringList& folders, const QString& start, QWidget* parent)
    : QDialog(parent), start_(start) {
  setWindowTitle("Wspólna transformacja folderów");
  auto* layout = new QVBoxLayout(this);
  auto* about = new QLabel(
      "Jedna transformacja z punktów dostosowania wszystkich folderów (obrębów): wspólne "
      "wierzchołki sąsiednich obrębów trafią w jedno miejsce. Punkt o tym samym numerze w "
      "dwóch folderach musi mieć te same współrzędne.",
      this);
  about->setWordWrap(true);
  layout->addWidget(about);
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  layout->addWidget(list_);
  auto* listButtons = new QHBoxLayout;
  auto* add = new QPushButton("Dodaj folder...", this);
  remove_ = new QPushButton("Usuń", this);
  listButtons->addWidget(add);
  listButtons->addWidget(remove_);
  listButtons->addStretch();
  layout->addLayout(listButtons);
  layout->addWidget(
      new QLabel("Folder wyników wspólnej transformacji (raporty dopasowania):", this));
  auto* jointRow = new QHBoxLayout;
  jointFolder_ = new QLineEdit(this);
  auto* choose = new QPushButton("Wybierz...", this);
  jointRow->addWidget(jointFolder_, 1);
  jointRow->addWidget(choose);
  layout->addLayout(jointRow);
  auto* buttons = new QDialogButtonBox(this);
  run_ = buttons->addButton("Wykonaj", QDialogButtonBox::AcceptRole);
  buttons->addButton("Anuluj", QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  connect(add, &QPushButton::clicked, this, &JointDialog::ChooseFolder);
  connect(remove_, &QPushButton::clicked, this, [this] {
    qDeleteAll(list_->selectedItems());
    Follow();
  });
  connect(choose, &QPushButton::clicked, this, &JointDialog::ChooseJointFolder);
  connect(jointFolder_, &QLineEdit::textChanged, this, &JointDialog::Follow);
  connect(list_, &QListWidget::itemSelectionChanged, this, &JointDialog::Follow);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  for (const QString& folder : folders)
    AddFolder(folder);
  resize(560, 400);
  Follow();
}

QStringList JointDialog::Folders() const {
  QStringList folders;
  for (int k = 0; k < list_->count(); ++k)
    folders << list_->item(k)->text();
  return folders;
}

QString JointDialog::JointFolder() const {
  return jointFolder_->text().trimmed();
}

void JointDialog::AddFolder(const QString& folder) {
  const QString clean = Shown(folder);
  if (clean.isEmpty() || Folders().contains(clean)) return;
  list_->addItem(clean);
  Follow();
}

void JointDialog::SetJointFolder(const QString& folder) {
  jointFolder_->setText(Shown(folder));
}

void JointDialog::ChooseFolder() {
  const QString folder = Chosen(this, "Dodaj folder roboczy", start_);
  if (folder.isEmpty()) return;
  start_ = folder;
  AddFolder(folder);
}

void JointDialog::ChooseJointFolder() {
  const QString folder = Chosen(this, "Folder wyników wspólnej transformacji", start_);
  if (!folder.isEmpty()) SetJointFolder(folder);
}

void JointDialog::Follow() {
  remove_->setEnabled(!list_->selectedItems().isEmpty());
  const QString joint = Shown(JointFolder());
  const bool apart = !joint.isEmpty() && !Folders().contains(joint);
  run_->setEnabled(list_->count() >= 2 && apart);
  run_->setToolTip(list_->count() < 2 ? "Dodaj co najmniej dwa foldery"
                   : !apart           ? "Wybierz osobny folder wyników"
                                      : QString());
}
