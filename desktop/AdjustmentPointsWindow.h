// The window "Punkty dostosowania": the judgement of the adjustment points of the last run
// in the working folder. A sortable table of the points with their residuals, leave-one-out
// figures, leverage and test statistic (flagged rows marked) and a tick per point: changing a
// tick rewrites Wykluczone.txt at once and has the owner refit in memory, so the table, the
// flags and the comparison follow at once; the files follow at the next WYKONAJ. "Wyklucz
// proponowane" applies the proposal of exclusions in one click. Below, the comparison of
// models; "Użyj tego modelu" hands the chosen row's kind and degree to the main window.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "run/RunProcessing.h"

class QLabel;
class QPushButton;
class QTableWidget;

class AdjustmentPointsWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `useModel` receives kind and degree when the user picks a model; `refit` the numbers to
  // leave out after a tick, once Wykluczone.txt holds them.
  using Refit = std::function<void(const std::vector<PointNumber>&)>;
  AdjustmentPointsWindow(std::function<void(int, int)> useModel, Refit refit,
                         QWidget* parent = nullptr);

  // Shows the figures of `result` for the working folder `folder` (after a run, a refit or a
  // change of folder); a result of another folder shows no figures. The window keeps the
  // result it shows.
  void Refresh(std::shared_ptr<const RunResult> result, const std::string& folder);
  // Selects the row of the point of this number (from the map).
  void SelectPoint(const QString& nr);
  // Selects the rows of the proposal of exclusions.
  void SelectProposal();
  // Shows what a refit changed: "m0 przed → po".
  void ShowRefitNote(const QString& text);
  // Unticks the proposed points (one refit).
  void ExcludeProposed();
  // Receives the number of a point the user selects in the table.
  void OnPointSelected(std::function<void(const QString&)> selected) {
    pointSelected_ = std::move(selected);
  }

  QTableWidget* Points() const { return points_; }
  QTableWidget* Models() const { return models_; }
  QPushButton* UseModelButton() const { return useModel_; }
  QPushButton* ExcludeProposedButton() const { return excludeProposed_; }
  QLabel* Summary() const { return summary_; }
  QLabel* Notice() const { return notice_; }

 private:
  void FillPoints();
  void FillModels();
  void TickChanged();
  void UseSelectedModel();

  // What the table shows: the result of a run made in the working folder, else none.
  const TransformationResult& Shown() const;

  std::shared_ptr<const RunResult> result_ = NoRunResult();
  std::string folder_;
  std::function<void(int, int)> useModelCallback_;
  Refit refitCallback_;
  QLabel* summary_;
  QLabel* notice_;
  QTableWidget* points_;
  QTableWidget* models_;
  QPushButton* useModel_;
  QPushButton* excludeProposed_;
  std::function<void(const QString&)> pointSelected_;
  bool filling_ = false;
  QString lastTicked_;  // the number of the point last ticked or unticked
};
