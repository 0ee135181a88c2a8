#include "desktop/AdjustmentPointsWindow.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <map>

#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "transform/ControlReport.h"
#include "transform/Exclusions.h"

namespace {

const QColor kFlaggedRow(0xFF, 0xD0, 0xD0);
const QColor kExcludedRow(0xE0, 0xE0, 0xE0);

// A cell that shows a number with four decimals and sorts by its value; "-" sorts first.
class NumberItem : public QTableWidgetItem {
 public:
  explicit NumberItem(std::optional<long double> value)
      : QTableWidgetItem(value ? QString::fromStdString(textio::Fixed(*value, 0, 4)) : "-"),
        value_(value ? static_cast<double>(*value) : -1e300) {
    setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  bool operator<(const QTableWidgetItem& other) const override {
    if (const auto* number = dynamic_cast<const NumberItem*>(&other)) {
      return value_ < number->value_;
    }
    return QTableWidgetItem::operator<(other);
  }

 private:
  double value_;
};

// Rows of flagged points keep their red when selected: the selection is drawn in a dark red
// there, not in the colour of any other selection.
constexpr int kFlaggedRole = Qt::UserRole + 1;
class FlaggedRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.sibling(index.row(), 0).data(kFlaggedRole).toBool()) return;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      option->palette.setColor(group, QPalette::Highlight, QColor(0xB0, 0x00, 0x00));
      option->palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
  }
};

QTableWidgetItem* TextItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  return item;
}

QTableWidget* Table(const QStringList& headings, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
  table->setHorizontalHeaderLabels(headings);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setDefaultSectionSize(20);
  // Columns are fitted to their contents once a fill is done, from a sample of rows:
  // fitting them on every change costs each change a pass over every row.
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table->horizontalHeader()->setResizeContentsPrecision(200);
  return table;
}

}  // namespace

AdjustmentPointsWindow::AdjustmentPointsWindow(std::function<void(int, int)> useModel, Refit refit,
                                               QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      useModelCallback_(std::move(useModel)),
      refitCallback_(std::move(refit)) {
  setWindowTitle("Punkty dostosowania");
  new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
  // Wide enough for every column, the remark included, at the usual font.
  resize(1180, 640);
  auto* area = new QWidget(this);
  auto* layout = new QVBoxLayout(area);
  summary_ = new QLabel(area);
  notice_ = new QLabel(area);
  notice_->setStyleSheet("color: #a00000; font-weight: bold");
  points_ = Table(
      {"Użyty", "Nr", "x1", "y1", "vx", "vy", "|v|", "dx", "dy", "|d|", "m0(i)", "h", "T", "Uwagi"},
      area);
  points_->setItemDelegate(new FlaggedRowDelegate(points_));
  points_->horizontalHeader()->setStretchLastSection(true);
  points_->setToolTip(
      "d: współrzędne wtórne minus ten sam model wyznaczony bez punktu; h: wpływ punktu;\n"
      "T = (1 - h)|d|² / (2 m0(i)²); *** gdy T > F_kr (test F, alfa = 0.001 na punkt).\n"
      "Odznaczenie punktu wpisuje go do Wykluczone.txt i od razu wyznacza transformację bez "
      "niego;\npliki wynikowe zapisze WYKONAJ.");
  excludeProposed_ = new QPushButton("Wyklucz proponowane", area);
  excludeProposed_->setToolTip(
      "Odznacza punkty z propozycji wyszukiwania błędów grubych (Kontrola.tra)");
  models_ =
      Table({"Rodzaj", "Stopień", "u", "r", "m0", "max |v|", "RMS |d|", "max |d|", "Uwagi"}, area);
  useModel_ = new QPushButton("Użyj tego modelu", area);
  useModel_->setToolTip("Ustawia rodzaj i stopień transformacji w oknie głównym");
  layout->addWidget(summary_);
  layout->addWidget(points_, 3);
  layout->addWidget(notice_);
  layout->addWidget(excludeProposed_, 0, Qt::AlignLeft);
  connect(excludeProposed_, &QPushButton::clicked, this, &AdjustmentPointsWindow::ExcludeProposed);
  layout->addWidget(new QLabel("Porównanie modeli (na punktach użytych):", area));
  layout->addWidget(models_, 2);
  layout->addWidget(useModel_, 0, Qt::AlignRight);
  setCentralWidget(area);
  connect(points_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (!filling_ && item->column() == 0) TickChanged();
  });
  connect(useModel_, &QPushButton::clicked, this, &AdjustmentPointsWindow::UseSelectedModel);
  connect(points_, &QTableWidget::itemSelectionChanged, this, [this] {
    const QList<QTableWidgetItem*> selected = points_->selectedItems();
    if (filling_ || selected.isEmpty() || !pointSelected_) return;
    pointSelected_(points_->item(selected.first()->row(), 1)->text());
  });
  Refresh(NoRunResult(), {});
}

const TransformationResult& AdjustmentPointsWindow::Shown() const {
  return result_->MadeIn(folder_) ? result_->Transformation() : NoTransformationResult();
}

void AdjustmentPointsWindow::Refresh(std::shared_ptr<const RunResult> result,
                                     const std::string& folder) {
  result_ = std::move(result);
  folder_ = folder;
  const TransformationResult& t = Shown();
  const TFittedTransformation& f = t.FittedTransformation;
  QString summary = "Folder roboczy: " + QString::fromStdString(folder_);
  if (!result_->MadeIn(folder_)) {
    summary += "\nBrak wyników oceny punktów: naciśnij WYKONAJ w oknie głównym.";
  } else if (t.checks.empty()) {
    summary += "\n" + QString::fromStdString(NoTransformationReason(t));
  } else {
    const int degrees = t.testDegrees;
    const auto figure = [](long double v) {
      return QString::fromStdString(textio::Fixed(v, 0, 2));
    };
    summary +=
        QString(
            "\nModel: %1;  punkty użyte: %2, wyłączone: %3;  m0 = %4 m;  "
            "podejrzane (test zbioru, T > F_kr,zb%6): %5;  do sprawdzenia (T > F_kr%8): %7")
            .arg(QString::fromStdString(ModelName(f.model.Kind(), f.model.Degree())))
            .arg(f.ls)
            .arg(t.excluded)
            .arg(QString::fromStdString(textio::Fixed(f.figures.m0, 0, 4)))
            .arg(SuspectPointCount(t))
            .arg(t.testedPoints > 0 && degrees > 0 ? " = " + figure(t.setCritical) : QString())
            .arg(ToCheckPointCount(t))
            .arg(degrees > 0 ? " = " + figure(FisherCritical(degrees)) : QString());
    QString proposal;
    for (const ProposedExclusion& p : t.Proposal())
      proposal += (proposal.isEmpty() ? "" : ", ") + QString::fromStdString(ShownNumber(p.nr));
    summary += QString("\nPropozycja wyłączeń (%1): ")
                   .arg(t.robustProposal ? "metoda odporna" : "wyszukiwanie błędów grubych") +
               (proposal.isEmpty() ? QString("brak") : proposal);
  }
  excludeProposed_->setEnabled(!t.Proposal().empty());
  summary_->setText(summary);
  notice_->clear();
  FillPoints();
  FillModels();
}

namespace {

// The rows of `checks` in the order the table showed the same points before (a refit lists
// the points it leaves out last): a ticked or unticked row stays where it stood. Points not
// shown before keep the result's order.
std::vector<std::size_t> RowOrder(const std::vector<AdjustmentCheck>& checks,
                                  const QTableWidget& table) {
  std::map<QByteArray, int> before;
  for (int row = 0; row < table.rowCount(); ++row) {
    if (const QTableWidgetItem* tick = table.item(row, 0))
      before.emplace(tick->data(Qt::UserRole).toByteArray(), row);
  }
  std::vector<std::size_t> order(checks.size());
  for (std::size_t k = 0; k < order.size(); ++k)
    order[k] = k;
  const auto rowOf = [&](std::size_t k) {
    const auto nr = checks[k].nr.View();
    const auto it = before.find(QByteArray(nr.data(), static_cast<int>(nr.size())));
    return it == before.end() ? table.rowCount() + static_cast<int>(k) : it->second;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return rowOf(a) < rowOf(b); });
  return order;
}

}  // namespace

void AdjustmentPointsWindow::FillPoints() {
  filling_ = true;
  points_->setUpdatesEnabled(false);
  const int scrolled = points_->verticalScrollBar()->value();
  points_->setSortingEnabled(false);
  const std::vector<AdjustmentCheck>& checks = Shown().checks;
  const std::vector<std::size_t> order = RowOrder(checks, *points_);
  points_->setRowCount(static_cast<int>(checks.size()));
  for (int row = 0; row < static_cast<int>(checks.size()); ++row) {
    const AdjustmentCheck& c = checks[order[row]];
    auto* tick = new QTableWidgetItem;
    tick->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    tick->setCheckState(c.excluded ? Qt::Unchecked : Qt::Checked);
    tick->setData(Qt::UserRole,
                  QByteArray(c.nr.View().data(), static_cast<int>(c.nr.View().size())));
    tick->setData(kFlaggedRole, c.flagged);
    points_->setItem(row, 0, tick);
    points_->setItem(row, 1, TextItem(QString::fromStdString(ShownNumber(c.nr))));
    const std::optional<long double> none;
    const auto loo = [&](long double v) { return c.predictable ? std::optional(v) : none; };
    const std::optional<long double> cells[] = {
        c.x1,
        c.y1,
        c.excluded ? none : std::optional(c.vx),
        c.excluded ? none : std::optional(c.vy),
        c.excluded ? none : std::optional(std::hypot(c.vx, c.vy)),
        loo(c.dx),
        loo(c.dy),
        loo(c.d),
        c.m0i,
        c.h,
        c.t};
    for (int k = 0; k < 11; ++k)
      points_->setItem(row, 2 + k, new NumberItem(cells[k]));
    points_->setItem(row, 13, TextItem(QString::fromUtf8(PointRemark(c))));
    const QColor background = c.flagged ? kFlaggedRow : c.excluded ? kExcludedRow : QColor();
    if (background.isValid()) {
      for (int column = 0; column < points_->columnCount(); ++column)
        points_->item(row, column)->setBackground(background);
    }
  }
  points_->setSortingEnabled(true);
  points_->resizeColumnsToContents();
  points_->verticalScrollBar()->setValue(scrolled);
  points_->setUpdatesEnabled(true);
  filling_ = false;
  // The point just ticked stays in view, selected, wherever the refill put its row.
  if (!lastTicked_.isEmpty()) SelectPoint(lastTicked_);
}

void AdjustmentPointsWindow::FillModels() {
  const std::vector<ModelRow>& rows = Shown().models;
  models_->setSortingEnabled(false);
  models_->setRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    const ModelRow& m = rows[row];
    auto* kind = TextItem(QString::fromUtf8(KindName(m.kind)));
    kind->setData(Qt::UserRole, m.kind);
    models_->setItem(row, 0, kind);
    models_->setItem(row, 1, new NumberItem(std::nullopt));
    models_->item(row, 1)->setText(QString::number(m.degree));
    models_->item(row, 1)->setData(Qt::UserRole, m.degree);
    models_->setItem(row, 2, TextItem(QString::number(m.unknowns)));
    models_->setItem(row, 3, TextItem(QString::number(m.redundancy)));
    const bool figures = !m.defective && !m.skipped;
    const std::optional<long double> none;
    const long double values[] = {m.m0, m.maxResidual, m.looRms, m.looMax};
    for (int k = 0; k < 4; ++k)
      models_->setItem(row, 4 + k, new NumberItem(figures ? std::optional(values[k]) : none));
    const QString note = m.defective   ? "defekt układu"
                         : m.skipped   ? "pominięty (limit czasu)"
                         : m.suggested ? "sugerowany"
                                       : "";
    models_->setItem(row, 8, TextItem(note));
    if (m.suggested) models_->selectRow(row);
  }
  models_->resizeColumnsToContents();
  useModel_->setEnabled(!rows.empty());
}

void AdjustmentPointsWindow::SelectPoint(const QString& nr) {
  const QList<QTableWidgetItem*> found = points_->findItems(nr, Qt::MatchExactly);
  for (const QTableWidgetItem* item : found) {
    if (item->column() != 1) continue;
    filling_ = true;  // a selection from the map is not sent back to it
    points_->selectRow(item->row());
    points_->scrollToItem(item);
    filling_ = false;
  }
}

void AdjustmentPointsWindow::TickChanged() {
  if (const QTableWidgetItem* current = points_->currentItem())
    lastTicked_ = points_->item(current->row(), 1)->text();
  std::vector<std::string> excluded;
  for (int row = 0; row < points_->rowCount(); ++row) {
    const QTableWidgetItem* tick = points_->item(row, 0);
    if (tick->checkState() == Qt::Unchecked)
      excluded.push_back(tick->data(Qt::UserRole).toByteArray().toStdString());
  }
  const std::string path = textio::PathInFolder(folder_, kExclusionFileName);
  std::string failure;
  if (!WriteExclusions(path, excluded, failure)) {
    notice_->setText("Błąd zapisu pliku " + QString::fromStdString(failure));
    return;
  }
  notice_->setText(QString("Zapisano Wykluczone.txt (wyłączonych: %1).").arg(excluded.size()));
  std::vector<PointNumber> numbers;
  for (const std::string& nr : excluded)
    numbers.emplace_back(nr);
  // After the tick's own signal has returned: the refit refills the table, which would
  // delete the item that is still signalling.
  if (refitCallback_) {
    QMetaObject::invokeMethod(
        this, [this, numbers] { refitCallback_(numbers); }, Qt::QueuedConnection);
  }
}

void AdjustmentPointsWindow::ShowRefitNote(const QString& text) {
  notice_->setText(text);
}

void AdjustmentPointsWindow::SelectProposal() {
  filling_ = true;
  points_->clearSelection();
  points_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const ProposedExclusion& p : Shown().Proposal()) {
    const QList<QTableWidgetItem*> found =
        points_->findItems(QString::fromStdString(ShownNumber(p.nr)), Qt::MatchExactly);
    for (const QTableWidgetItem* item : found) {
      if (item->column() != 1) continue;
      points_->selectRow(item->row());
      points_->scrollToItem(item);
    }
  }
  points_->setSelectionMode(QAbstractItemView::SingleSelection);
  filling_ = false;
}

void AdjustmentPointsWindow::ExcludeProposed() {
  const std::vector<ProposedExclusion>& proposal = Shown().Proposal();
  if (proposal.empty()) return;
  filling_ = true;
  for (const ProposedExclusion& p : proposal) {
    for (int row = 0; row < points_->rowCount(); ++row) {
      QTableWidgetItem* tick = points_->item(row, 0);
      const QByteArray nr = tick->data(Qt::UserRole).toByteArray();
      if (std::string_view(nr.constData(), static_cast<std::size_t>(nr.size())) == p.nr.View())
        tick->setCheckState(Qt::Unchecked);
    }
  }
  filling_ = false;
  TickChanged();
}

void AdjustmentPointsWindow::UseSelectedModel() {
  const QList<QTableWidgetItem*> selected = models_->selectedItems();
  if (selected.isEmpty()) return;
  const int row = selected.first()->row();
  useModelCallback_(models_->item(row, 0)->data(Qt::UserRole).toInt(),
                    models_->item(row, 1)->data(Qt::UserRole).toInt());
  notice_->setText("Ustawiono model w oknie głównym. WYKONAJ użyje go w następnym przebiegu.");
}
