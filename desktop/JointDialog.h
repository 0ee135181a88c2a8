// "Wspólna transformacja folderów": the folders of a joint fit (added with the folder
// chooser, removed from the list) and the folder that receives the joint fit's reports.
#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;

class JointDialog : public QDialog {
  Q_OBJECT

 public:
  // Starts with `folders` listed (the working folder, when there is one).
  JointDialog(const QStringList& folders, const QString& start, QWidget* parent = nullptr);

  QStringList Folders() const;
  QString JointFolder() const;
  // For tests and the chooser: adds a folder (once) and sets the joint folder.
  void AddFolder(const QString& folder);
  void SetJointFolder(const QString& folder);
  QListWidget* List() const { return list_; }
  QPushButton* RunButton() const { return run_; }
  QPushButton* RemoveButton() const { return remove_; }

 private:
  void ChooseFolder();
  void ChooseJointFolder();
  void Follow();  // "Wykonaj" needs two folders and a joint folder apart from them

  QString start_;
  QListWidget* list_ = nullptr;
  QLineEdit* jointFolder_ = nullptr;
  QPushButton *remove_ = nullptr, *run_ = nullptr;
};
