// The window "Punkty dostosowania": the judgement of the adjustment points of the last run
// in the working folder. A sortable table of the points with their residuals and
// leave-one-out figures (flagged rows marked) and a tick per point: changing a tick
// rewrites Wykluczone.txt at once, and the next WYKONAJ refits. Below, the comparison of
// models; "Użyj tego modelu" hands the chosen row's kind and degree to the main window.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>

#include "run/RunProcessing.h"

class QLabel;
class QPushButton;
class QTableWidget;

class AdjustmentPointsWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `useModel` receives kind and degree when the user picks a model.
  AdjustmentPointsWindow(const RunState& state, std::function<void(int, int)> useModel,
                         QWidget* parent = nullptr);

  // Shows the figures of the state as they are now (after a run, or a change of folder).
  void Refresh();
  // Selects the row of the point of this number (from the map).
  void SelectPoint(const QString& nr);
  // Receives the number of a point the user selects in the table.
  void OnPointSelected(std::function<void(const QString&)> selected) {
    pointSelected_ = std::move(selected);
  }

  QTableWidget* Points() const { return points_; }
  QTableWidget* Models() const { return models_; }
  QPushButton* UseModelButton() const { return useModel_; }
  QLabel* Notice() const { return notice_; }

 private:
  void FillPoints();
  void FillModels();
  void TickChanged();
  void UseSelectedModel();

  const RunState& state_;
  std::function<void(int, int)> useModelCallback_;
  QLabel* summary_;
  QLabel* notice_;
  QTableWidget* points_;
  QTableWidget* models_;
  QPushButton* useModel_;
  std::function<void(const QString&)> pointSelected_;
  bool filling_ = false;
};
