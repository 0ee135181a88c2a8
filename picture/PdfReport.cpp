#include "picture/PdfReport.h"

#include <QBuffer>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "picture/FitPicture.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/TextFile.h"
#include "transform/ControlReport.h"
#include "transform/Exclusions.h"
#include "transform/FitStamp.h"
#include "transform/PointCheck.h"

namespace {

constexpr int kDpi = 96;  // the page's units: a picture drawn for the screen keeps its sizes
const QColor kWarning(190, 0, 0);

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString Nr(const PointNumber& nr) {
  return Utf8(ShownNumber(nr));
}

QString Metres(long double value) {
  return ReportNumber(value, 4);
}

QString Optional(const std::optional<long double>& value, int decimals) {
  return value ? ReportNumber(*value, decimals) : QString("–");
}

QString ModelText(int kind, int degree) {
  return QString::fromStdString(ModelName(kind, degree));
}

struct Column {
  QString title;
  double width;  // share of the page's width
  Qt::Alignment align = Qt::AlignRight;
};
using Row = std::vector<QString>;

// The pages as they fill: text lines and tables flow down the page and onto new ones; a
// table row is never split, and a table's header repeats on each page it spans.
class PageFlow {
 public:
  PageFlow(QPdfWriter& writer, QPainter& painter)
      : writer_(writer), painter_(painter), page_(0, 0, writer.width(), writer.height()) {
    body_ = QFont("DejaVu Sans");
    body_.setStyleHint(QFont::SansSerif);
    body_.setPointSizeF(8.5);
    painter_.setFont(body_);
    y_ = page_.top();
    Footer();
  }

  int Pages() const { return pages_; }

  void NewPage() {
    writer_.newPage();
    ++pages_;
    y_ = page_.top();
    Footer();
  }

  void Title(const QString& text) {
    QFont font = body_;
    font.setPointSizeF(15);
    font.setBold(true);
    Text(text, font, Qt::black, 1.6);
  }

  void Heading(const QString& text) {
    QFont font = body_;
    font.setPointSizeF(11);
    font.setBold(true);
    y_ += 6;
    Text(text, font, Qt::black, 1.3);
  }

  void Line(const QString& text, const QColor& colour = Qt::black) {
    Text(text, body_, colour, 1.25);
  }

  void Space(double lines = 0.6) { y_ += QFontMetricsF(body_).lineSpacing() * lines; }

  // A table; `breakEvery` > 0 starts a new page after that many rows of a page.
  void Table(const std::vector<Column>& columns, const std::vector<Row>& rows,
             const std::vector<bool>& warn = {}, int breakEvery = 0) {
    const double height = RowHeight();
    Header(columns);
    int onPage = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (y_ + height > Bottom() || (breakEvery > 0 && onPage == breakEvery)) {
        NewPage();
        Header(columns);
        onPage = 0;
      }
      const bool red = r < warn.size() && warn[r];
      Cells(columns, rows[r], body_, red ? kWarning : QColor(Qt::black));
      ++onPage;
    }
    Space();
  }

  // Two columns, a label and its value, the value wrapped when long.
  void Facts(const std::vector<std::pair<QString, QString>>& facts) {
    const QFontMetricsF metrics(body_);
    const double labelWidth = page_.width() * 0.34;
    const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
    for (const auto& [label, value] : facts) {
      const QRectF valueRoom(page_.left() + labelWidth, y_, page_.width() - labelWidth, 1000);
      const QRectF labelRoom(page_.left(), y_, labelWidth - 8, 1000);
      // A label that wraps (another system's fonts are wider) makes its row as tall as itself.
      const double height = std::max(metrics.boundingRect(valueRoom, flags, value).height(),
                                     metrics.boundingRect(labelRoom, flags, label).height()) +
                            4;
      if (y_ + height > Bottom()) NewPage();
      painter_.setPen(QColor(60, 60, 60));
      painter_.drawText(QRectF(page_.left(), y_, labelWidth - 8, height), flags, label);
      painter_.setPen(value.startsWith("Brak") ? kWarning : QColor(Qt::black));
      painter_.drawText(QRectF(page_.left() + labelWidth, y_, page_.width() - labelWidth, height),
                        flags, value);
      y_ += height;
    }
    Space();
  }

  // The rest of the page, from the current line down.
  QRectF Rest() const { return QRectF(page_.left(), y_, page_.width(), Bottom() - y_); }

 private:
  double RowHeight() const { return QFontMetricsF(body_).lineSpacing() + 5; }
  double Bottom() const { return page_.bottom() - 2 * QFontMetricsF(body_).lineSpacing(); }

  void Text(const QString& text, const QFont& font, const QColor& colour, double spacing) {
    const QFontMetricsF metrics(font);
    const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
    const QRectF room(page_.left(), y_, page_.width(), 1000);
    const double height =
        std::max(metrics.boundingRect(room, flags, text).height(), metrics.lineSpacing()) +
        metrics.lineSpacing() * (spacing - 1);
    if (y_ + height > Bottom()) NewPage();
    painter_.setFont(font);
    painter_.setPen(colour);
    painter_.drawText(QRectF(page_.left(), y_, page_.width(), height), flags, text);
    painter_.setFont(body_);
    y_ += height;
  }

  void Header(const std::vector<Column>& columns) {
    QFont bold = body_;
    bold.setBold(true);
    Cells(
        columns,
        [&] {
          Row titles;
          for (const Column& c : columns)
            titles.push_back(c.title);
          return titles;
        }(),
        bold, Qt::black);
    painter_.setPen(QPen(Qt::black, 0.8));
    painter_.drawLine(QPointF(page_.left(), y_ - 2), QPointF(page_.right(), y_ - 2));
  }

  void Cells(const std::vector<Column>& columns, const Row& row, const QFont& font,
             const QColor& colour) {
    painter_.setFont(font);
    painter_.setPen(colour);
    double x = page_.left();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const double width = columns[c].width * page_.width();
      const QRectF cell(x + 3, y_, width - 6, RowHeight());
      if (c < row.size())
        painter_.drawText(cell, columns[c].align | Qt::AlignVCenter | Qt::TextSingleLine, row[c]);
      x += width;
    }
    painter_.setFont(body_);
    y_ += RowHeight();
  }

  void Footer() {
    painter_.setPen(QColor(90, 90, 90));
    painter_.drawText(QRectF(page_.left(), page_.bottom() - QFontMetricsF(body_).lineSpacing(),
                             page_.width(), QFontMetricsF(body_).lineSpacing()),
                      Qt::AlignRight | Qt::AlignVCenter,
                      QString("ZORNAK_edz – raport transformacji – strona %1").arg(pages_));
  }

  QPdfWriter& writer_;
  QPainter& painter_;
  QRectF page_;
  QFont body_;
  double y_ = 0;
  int pages_ = 1;
};

// The corrections over every coordinate pair the run converted.
CorrectionTally MapCorrections(const RunResult& run) {
  CorrectionTally all;
  for (const TaskResult& r : run.conversion) {
    if (r.converted) all.Merge(r.correction);
  }
  return all;
}

QString TransPktState(const TFittedTransformation& f) {
  if (!f.fitted && f.pointsRead == 0 && f.recordsDeclared < 0)
    return "Brak pliku lub nie można go odczytać";
  QString text = QString("wczytano %1 punktów").arg(f.pointsRead);
  if (f.recordsDeclared >= 0) text += QString(" (zadeklarowano %1)").arg(f.recordsDeclared);
  if (f.readFailed) return "Brak pełnego odczytu: plik uszkodzony, " + text;
  return "odczytany w całości, " + text;
}

void SummaryPage(PageFlow& flow, const ReportInput& in) {
  const RunResult& run = in.run;
  const TransformationResult& t = run.Transformation();
  const TFittedTransformation& f = t.FittedTransformation;
  flow.Title("Raport transformacji mapy – ZORNAK_edz");
  std::vector<std::pair<QString, QString>> facts = {
      {"Folder roboczy", Utf8(in.workingFolder)},
      {"Data raportu", QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm")},
  };
  if (!in.executor.empty()) facts.emplace_back("Wykonawca", Utf8(in.executor));
  if (!run.MadeIn(in.workingFolder)) {
    facts.emplace_back("Przebieg", "Brak przebiegu w tym folderze: raport nie zawiera wyników");
    flow.Facts(facts);
    return;
  }
  const int decimals = t.choice.ReportDecimals;
  facts.emplace_back("Model", ModelText(t.choice.TransformKind, t.choice.TransformDegree));
  facts.emplace_back(kAdjustmentPointsFileName, TransPktState(f));
  if (!f.fitted) {
    facts.emplace_back("Transformacja", Utf8(NoTransformationReason(t)) + "; mapy nie przeliczono");
    flow.Facts(facts);
    return;
  }
  facts.emplace_back("Punkty dostosowania",
                     QString("użyte %1, wyłączone %2, podejrzane %3, do sprawdzenia %4")
                         .arg(f.ls)
                         .arg(t.excluded)
                         .arg(SuspectPointCount(t))
                         .arg(ToCheckPointCount(t)));
  facts.emplace_back("Błąd średni jednostkowy",
                     "m0 = " + ReportNumber(f.figures.m0, decimals) + " m");
  facts.emplace_back("Największa odchyłka", Metres(f.figures.maxResidual) + " m (punkt " +
                                                Nr(f.figures.maxResidualPoint) + ")");
  facts.emplace_back("Reguła oceny punktu",
                     "T = (1 − h)·|d|² / (2·m0(i)²) > F_kr = F(0.999; 2, r − 2): h – wpływ "
                     "punktu na własne wyrównanie, d – odchyłka względem modelu bez punktu, "
                     "alfa = 0.001 na punkt");
  facts.emplace_back("Wartość krytyczna",
                     t.testDegrees > 0 ? QString("F_kr = %1 (r − 2 = %2)")
                                             .arg(ReportNumber(FisherCritical(t.testDegrees), 4))
                                             .arg(t.testDegrees)
                                       : QString("brak testu: za mała nadwymiarowość"));
  if (t.testDegrees > 0 && t.testedPoints > 0) {
    facts.emplace_back("Test zbioru",
                       QString("pytanie przed mapami, gdy największe T > F_kr,zb = %1 "
                               "(a = 1 − 0.95^(1/%2) = %3: 5 % dla całego zbioru)")
                           .arg(ReportNumber(t.setCritical, 4))
                           .arg(t.testedPoints)
                           .arg(ReportNumber(SidakAlpha(t.testedPoints), 6)));
  }
  if (!t.limitChecks.empty()) {
    QString limits;
    for (const LimitCheck& c : t.limitChecks) {
      limits += QString("%1 = %2 m, limit %3 m: %4; ")
                    .arg(QString::fromUtf8(c.name))
                    .arg(ReportNumber(c.value, 4))
                    .arg(ReportNumber(c.limit, 4))
                    .arg(c.met ? "spełnia" : "nie spełnia");
    }
    facts.emplace_back("Limity dokładności",
                       limits + (AllMet(t.limitChecks) ? "wynik: spełnia" : "wynik: NIE SPEŁNIA"));
  }
  // A joint fit: each folder's own m0 beside the joint one.
  if (!t.input->joint.empty()) {
    QString parts;
    for (const JointPart& part : t.input->joint) {
      parts += QString("%1: m0 własne %2 m; ")
                   .arg(Utf8(part.folder))
                   .arg(part.ownM0 ? ReportNumber(*part.ownM0, decimals) : QString("-"));
    }
    facts.emplace_back(QString("Transformacja wspólna %1 folderów").arg(t.input->joint.size()),
                       parts + "m0 wspólne " + ReportNumber(f.figures.m0, decimals) + " m");
  }
  const CorrectionTally correction = MapCorrections(run);
  facts.emplace_back("Korekta Hausbrandta na punktach mapy",
                     correction.count > 0
                         ? QString("największa %1 m, średnia %2 m (%3 par współrzędnych)")
                               .arg(Metres(correction.largest))
                               .arg(Metres(correction.Mean()))
                               .arg(correction.count)
                         : QString("mapy nie przeliczono w tym przebiegu"));
  facts.emplace_back("GeoPackage", run.geoPackageWritten
                                       ? Utf8(run.files.SlotPath(slot::kGeoPackage))
                                       : QString("nie zapisano w tym przebiegu"));
  flow.Facts(facts);
  if (run.refitted) {
    flow.Line(
        "Punkty przeliczono ponownie w pamięci po przebiegu (zmiana wyłączeń): pliki "
        "wynikowe i liczniki pochodzą z poprzedniego przebiegu.",
        kWarning);
  }
}

void MapFiles(PageFlow& flow, const ReportInput& in) {
  std::vector<Row> rows;
  std::vector<bool> warn;
  for (int k = 0; k < kMapFileCount; ++k) {
    const TaskResult& r = in.run.conversion[k];
    if (!in.run.files.SlotFileExists(SlotsOf(static_cast<MapFile>(k)).input)) continue;
    const QString state = r.converted     ? "przeliczony"
                          : r.writeFailed ? "błąd zapisu"
                                          : "nie przeliczono";
    const std::string_view name = SlotCaption(SlotsOf(static_cast<MapFile>(k)).input);
    rows.push_back({QString::fromUtf8(name.data(), static_cast<int>(name.size())), state,
                    QString::number(r.records), QString::number(r.errors)});
    warn.push_back(!r.converted || r.errors > 0);
  }
  flow.Heading("Pliki mapy");
  if (rows.empty()) {
    flow.Line("brak plików mapy w folderze roboczym");
    return;
  }
  flow.Table({{"Plik", 0.3, Qt::AlignLeft},
              {"Wynik", 0.3, Qt::AlignLeft},
              {"Rekordy", 0.2},
              {"Błędy", 0.2}},
             rows, warn);
}

void PointTable(PageFlow& flow, const TransformationResult& t) {
  std::vector<Row> rows;
  std::vector<bool> warn;
  for (const AdjustmentCheck& c : t.checks) {
    const QString remark = QString::fromUtf8(PointRemark(c));
    const bool used = !c.excluded;
    rows.push_back({Nr(c.nr), used ? Metres(c.vx) : "", used ? Metres(c.vy) : "",
                    used ? Metres(std::hypot(c.vx, c.vy)) : "", c.predictable ? Metres(c.d) : "–",
                    Optional(c.h, 4), Optional(c.t, 2), remark});
    warn.push_back(c.flagged);
  }
  flow.Heading("Punkty dostosowania: odchyłki i kontrola bez punktu");
  flow.Line(
      "v – odchyłka (m); |d| – odchyłka względem modelu wyznaczonego bez punktu (punkt "
      "wyłączony: współrzędne wtórne minus wynik ostateczny); h – dźwignia; T – statystyka testu");
  flow.Table({{"Nr", 0.16, Qt::AlignLeft},
              {"vx", 0.1},
              {"vy", 0.1},
              {"|v|", 0.1},
              {"|d|", 0.1},
              {"h", 0.1},
              {"T", 0.09},
              {"Uwagi", 0.25, Qt::AlignLeft}},
             rows, warn, kReportPointRowsPerPage);
}

void ControlPoints(PageFlow& flow, const TransformationResult& t) {
  flow.Heading("Punkty kontrolne (wyłączone z dopasowania, Wykluczone.txt)");
  std::vector<Row> rows;
  for (const AdjustmentCheck& c : t.checks) {
    if (!c.excluded) continue;
    rows.push_back({Nr(c.nr), Metres(c.dxModel), Metres(c.dyModel), Metres(c.dModel), Metres(c.dx),
                    Metres(c.dy), Metres(c.d)});
  }
  if (rows.empty()) {
    flow.Line("brak");
    flow.Space();
    return;
  }
  flow.Table({{"Nr", 0.16, Qt::AlignLeft},
              {"dx przed", 0.14},
              {"dy przed", 0.14},
              {"|d| przed", 0.14},
              {"dx po", 0.14},
              {"dy po", 0.14},
              {"|d| po", 0.14}},
             rows);
}

void Models(PageFlow& flow, const TransformationResult& t) {
  flow.Heading("Porównanie modeli (punkty użyte w dopasowaniu)");
  std::vector<Row> rows;
  QString suggestion;
  for (const ModelRow& m : t.models) {
    const QString kind = QString::fromUtf8(KindName(m.kind));
    if (m.defective || m.skipped) {
      rows.push_back({kind, QString::number(m.degree), QString::number(m.unknowns),
                      QString::number(m.redundancy), m.defective ? "defekt" : "pominięty"});
    } else {
      rows.push_back({kind, QString::number(m.degree), QString::number(m.unknowns),
                      QString::number(m.redundancy), Metres(m.m0), Metres(m.maxResidual),
                      Metres(m.looRms), Metres(m.looMax), m.suggested ? "sugerowany" : ""});
    }
    if (m.suggested)
      suggestion = "Model sugerowany: " + ModelText(m.kind, m.degree) +
                   " (najmniejsze RMS |d| = " + Metres(m.looRms) + " m)";
  }
  if (rows.empty()) {
    flow.Line("brak porównania");
    flow.Space();
    return;
  }
  flow.Table({{"Rodzaj", 0.16, Qt::AlignLeft},
              {"Stopień", 0.09},
              {"u", 0.07},
              {"r", 0.08},
              {"m0", 0.1},
              {"max |v|", 0.1},
              {"RMS |d|", 0.1},
              {"max |d|", 0.1},
              {"", 0.2, Qt::AlignLeft}},
             rows);
  if (!suggestion.isEmpty()) flow.Line(suggestion);
  flow.Space();
}

void SnoopingTable(PageFlow& flow, const std::vector<ProposedExclusion>& steps) {
  if (steps.empty()) {
    flow.Line("brak: żaden punkt nie przekracza F_kr,zb");
    return;
  }
  std::vector<Row> rows;
  for (std::size_t k = 0; k < steps.size(); ++k) {
    const ProposedExclusion& p = steps[k];
    rows.push_back({QString::number(k + 1), Nr(p.nr), ReportNumber(p.t, 2), Metres(p.m0After)});
  }
  flow.Table({{"Krok", 0.12}, {"Nr", 0.2, Qt::AlignLeft}, {"T", 0.15}, {"m0 po", 0.15}}, rows);
}

constexpr const char* kSnoopingRule =
    "Kolejno punkt o największym T > F_kr,zb punktów, które zostały, i ponowne dopasowanie tego "
    "samego modelu.";
constexpr const char* kOnlyAProposal =
    "Tylko propozycja: przebieg korzysta z Wykluczone.txt tak, jak jest.";

// The robust proposal, where it is the proposal, and data snooping's steps beside it.
void RobustProposalSection(PageFlow& flow, const TransformationResult& t) {
  flow.Heading("Propozycja wyłączeń (metoda odporna)");
  QString rule =
      "Wyszukiwanie kolejno wskazuje inne punkty. Start, którego błędy grube nie przyciągają "
      "(najmniejsze przycięte kwadraty z losowych podzbiorów punktów), najmniejsze kwadraty z "
      "wagami 0 i 1, na końcu ocena jak w przebiegu: punkt wyłączony wraca, gdy jego T względem "
      "dopasowania bez wyłączonych nie przekracza F_kr,zb.";
  if (t.snooping.empty()) {
    rule += QString(
                " Test zbioru nie wskazuje punktu: większość proponowanych ponad F_kr,odp = %1 "
                "(1 % dla całego zbioru).")
                .arg(ReportNumber(t.robust.clearCritical, 4));
  }
  flow.Line(rule + " " + kOnlyAProposal);
  std::vector<Row> rows;
  for (const ProposedExclusion& p : t.robust.points)
    rows.push_back({Nr(p.nr), ReportNumber(p.t, 2)});
  flow.Table({{"Nr", 0.2, Qt::AlignLeft}, {"T", 0.15}}, rows);
  flow.Line("m0 bez proponowanych = " + Metres(t.robust.m0) + " m");
  flow.Line(QString("Wyszukiwanie kolejno (dla porównania): ") + kSnoopingRule);
  SnoopingTable(flow, t.snooping);
}

void Proposal(PageFlow& flow, const TransformationResult& t) {
  if (t.robustProposal) {
    RobustProposalSection(flow, t);
    return;
  }
  flow.Heading("Propozycja wyłączeń (wyszukiwanie błędów grubych)");
  flow.Line(QString(kSnoopingRule) + " " + kOnlyAProposal);
  SnoopingTable(flow, t.snooping);
}

void MapPage(PageFlow& flow, QPainter& painter, const ReportInput& in) {
  flow.NewPage();
  flow.Heading("Mapa odchyłek");
  FitPictureData data;
  BuildFitPicture(in.run.folder, in.run.Transformation(), in.run.map.get(), in.run.threads, data);
  const QRectF area = flow.Rest().adjusted(0, 4, 0, -4);
  DrawFitPicture(painter, area, data, FitView(data, area.size()), {true, -1});
}

// The document's XMP metadata: its title and maker, and the fit it was made from, so that a
// later run can tell a report of another fit.
QByteArray XmpMetadata(const QString& title, const std::string& stamp) {
  std::string xmp =
      "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
      " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
      "  <rdf:Description rdf:about=\"\"\n"
      "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
      "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
      "    xmlns:zornak=\"";
  xmp += kFitStampXmpNamespace;
  xmp += "\">\n   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">";
  xmp += XmlEscaped(title.toStdString());
  xmp += "</rdf:li></rdf:Alt></dc:title>\n   <xmp:CreatorTool>ZORNAK_edz</xmp:CreatorTool>\n";
  if (!stamp.empty()) {
    xmp += "   ";
    xmp += kFitStampXmpOpen;
    xmp += XmlEscaped(stamp);
    xmp += kFitStampXmpClose;
    xmp += '\n';
  }
  xmp += "  </rdf:Description>\n </rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"r\"?>";
  return QByteArray::fromStdString(xmp);
}

}  // namespace

QString ReportNumber(long double value, int decimals) {
  return QString::fromStdString(textio::Fixed(value, 0, decimals));
}

bool WritePdfReport(const ReportInput& in, const std::string& path, std::string& error) {
  // Made in memory, then written beside its name and renamed into place, as every output.
  QByteArray bytes;
  QBuffer file(&bytes);
  file.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
    writer.setResolution(kDpi);
    const QString title = "ZORNAK_edz – raport transformacji";
    writer.setTitle(title);
    writer.setCreator("ZORNAK_edz");
    const TransformationResult& t = in.run.Transformation();
    const bool made = in.run.MadeIn(in.workingFolder);
    writer.setDocumentXmpMetadata(XmpMetadata(title, made ? FitStamp(t) : std::string()));
    QPainter painter(&writer);
    PageFlow flow(writer, painter);
    SummaryPage(flow, in);
    const bool fitted = made && t.FittedTransformation.fitted;
    if (made) MapFiles(flow, in);
    if (fitted) {
      flow.NewPage();
      PointTable(flow, t);
      flow.NewPage();
      ControlPoints(flow, t);
      Models(flow, t);
      Proposal(flow, t);
      MapPage(flow, painter, in);
    }
    if (!painter.end()) {
      error = "Nie można utworzyć dokumentu PDF " + path;
      return false;
    }
  }
  file.close();
  std::string failure;
  if (!textio::WriteFileAtomically(path, std::string_view(bytes.constData(), bytes.size()),
                                   failure)) {
    error = "Nie można zapisać pliku " + failure;
    return false;
  }
  return true;
}
