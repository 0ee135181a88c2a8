#include "transform/ControlReport.h"

#include <cmath>

#include "core/WorkingFiles.h"
#include "core/WriteFailure.h"
#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "textio/PolishPlural.h"

namespace {

using textio::AppendFixed;
using textio::AppendRight;

constexpr int kDecimals = 4;
constexpr int kField = 9;

class ControlWriter {
 public:
  explicit ControlWriter(const std::string& path) { file_.Create(path); }
  textio::TextFileWriter& File() { return file_; }

  void Separator() { file_.WriteLine(std::string(100, '-')); }
  void Number(std::string& line, long double value) { AppendFixed(line, value, kField, kDecimals); }
  void Dash(std::string& line) { AppendRight(line, "-", kField); }
  void Point(std::string& line, const AdjustmentCheck& c) {
    AppendRight(line, c.nr.View(), 16);
    for (long double v : {c.x1, c.y1}) {
      line += ' ';
      AppendFixed(line, v, 13, kDecimals);
    }
  }

 private:
  textio::TextFileWriter file_;
};

void Header(ControlWriter& w, const std::string& folder, const ModelChoice& choice) {
  w.File().WriteUtf8Line(" ZORNAK_edz - kontrola punktów dostosowania");
  w.File().WriteUtf8Line(" OBIEKT ROBOCZY: " + folder);
  std::string model = " MODEL PRZEBIEGU: transformacja ";
  model += KindName(choice.TransformKind);
  model += " stopnia " + std::to_string(choice.TransformDegree);
  w.File().WriteUtf8Line(model);
}

// The set's own test: its largest T against F at Sidak's level for its n points.
void SetTestRule(ControlWriter& w, int degrees, int tested, long double critical) {
  std::string rule = "  test zbioru (pytanie przed mapami): największe T > F_kr,zb = F(1 - a; 2, " +
                     std::to_string(degrees) + ") = ";
  textio::AppendFixed(rule, critical, 0, 4);
  w.File().WriteUtf8Line(rule);
  std::string level = "  a = 1 - 0,95^(1/n) = ";
  textio::AppendFixed(level, SidakAlpha(tested), 0, 6);
  level += ", n = " + std::to_string(tested) + " punktów (5 % dla całego zbioru);";
  w.File().WriteUtf8Line(level);
  w.File().WriteUtf8Line("  *** przy T nie większym niż F_kr,zb: do sprawdzenia, bez pytania");
}

// The rule of the flags and its critical value for this run.
void TestRule(ControlWriter& w, int degrees) {
  w.File().WriteUtf8Line(
      "  h = wpływ punktu na własne wyrównanie (dźwignia); h=1: punktu nie można wyznaczyć");
  w.File().WriteUtf8Line(
      "  bez niego samego; T = (1 - h) |d|^2 / (2 m0(i)^2), bez błędu grubego o rozkładzie");
  if (degrees <= 0) {
    w.File().WriteUtf8Line("  F(2, r-2); r - 2 <= 0: punktów nie można testować");
    return;
  }
  std::string rule =
      "  F(2, r-2); *** gdy T > F_kr = F(0,999; 2, " + std::to_string(degrees) + ") = ";
  textio::AppendFixed(rule, FisherCritical(degrees), 0, 4);
  rule += " (alfa = 0,001 na punkt)";
  w.File().WriteUtf8Line(rule);
}

void UsedPoints(ControlWriter& w, const TransformationResult& r) {
  const std::vector<AdjustmentCheck>& checks = r.checks;
  const int degrees = r.testDegrees;
  w.Separator();
  w.File().WriteUtf8Line(" PUNKTY DOSTOSOWANIA - ODCHYŁKI I KONTROLA BEZ PUNKTU");
  w.File().WriteUtf8Line(
      "  v = odchyłka; d = współrzędne wtórne minus ten sam model wyznaczony bez punktu;");
  w.File().WriteUtf8Line("  m0(i) = błąd średni jednostkowy tego modelu;");
  TestRule(w, degrees);
  if (degrees > 0 && r.testedPoints > 0) SetTestRule(w, degrees, r.testedPoints, r.setCritical);
  w.File().WriteUtf8Line(
      "              Nr            x1            y1       vx       vy      |v|       dx"
      "       dy      |d|    m0(i)        h        T");
  for (const AdjustmentCheck& c : checks) {
    if (c.excluded) continue;
    std::string line;
    w.Point(line, c);
    for (long double v : {c.vx, c.vy, std::hypot(c.vx, c.vy)})
      w.Number(line, v);
    for (long double v : {c.dx, c.dy, c.d})
      c.predictable ? w.Number(line, v) : w.Dash(line);
    c.m0i ? w.Number(line, *c.m0i) : w.Dash(line);
    c.h ? w.Number(line, *c.h) : w.Dash(line);
    c.t ? AppendFixed(line, *c.t, kField, 2) : w.Dash(line);
    if (!c.predictable) line += "  h=1";
    if (c.flagged) line += "  ***";
    w.File().WriteLine(line);
  }
}

void ExcludedPoints(ControlWriter& w, const std::vector<AdjustmentCheck>& checks) {
  w.Separator();
  w.File().WriteUtf8Line(" PUNKTY WYŁĄCZONE Z DOPASOWANIA (Wykluczone.txt) - PUNKTY KONTROLNE");
  w.File().WriteUtf8Line("  przed korektą: współrzędne wtórne minus model;");
  w.File().WriteUtf8Line(
      "  po korekcie: współrzędne wtórne minus wynik ostateczny (model i korekta Hausbrandta)");
  w.File().WriteUtf8Line(
      "              Nr            x1            y1 dx przed dy przed |d|przed    dx po"
      "    dy po   |d| po");
  bool any = false;
  for (const AdjustmentCheck& c : checks) {
    if (!c.excluded) continue;
    any = true;
    std::string line;
    w.Point(line, c);
    for (long double v : {c.dxModel, c.dyModel, c.dModel, c.dx, c.dy, c.d})
      w.Number(line, v);
    w.File().WriteLine(line);
  }
  if (!any) w.File().WriteUtf8Line("  brak");
}

void SnoopingSteps(ControlWriter& w, const std::vector<ProposedExclusion>& steps) {
  w.File().WriteUtf8Line("  krok              Nr         T    m0 po");
  for (std::size_t k = 0; k < steps.size(); ++k) {
    std::string line = "  ";
    textio::AppendInteger(line, static_cast<std::int64_t>(k + 1), 4);
    AppendRight(line, steps[k].nr.View(), 16);
    AppendFixed(line, steps[k].t, 10, 2);
    w.Number(line, steps[k].m0After);
    w.File().WriteLine(line);
  }
  if (steps.empty()) w.File().WriteUtf8Line("  brak: żaden punkt nie przekracza F_kr,zb");
}

void SnoopingRule(ControlWriter& w, const char* opening) {
  w.File().WriteUtf8Line(std::string(opening) + "kolejno punkt o największym T ponad");
  w.File().WriteUtf8Line(
      "  F_kr,zb punktów, które zostały (poziom Šidáka dla ich liczby, jak w teście zbioru),");
  w.File().WriteUtf8Line(
      "  ponowne dopasowanie tego samego modelu, aż żaden nie przekracza F_kr,zb lub r spadłoby");
}

// The robust proposal, where it is the proposal: its rule, its points with their T against
// the fit without them all, and data snooping's steps beside it.
void RobustProposalBlock(ControlWriter& w, const TransformationResult& r) {
  const RobustProposal& robust = r.robust;
  const std::int32_t subset = MinimalSubset(r.FittedTransformation.model.Unknowns());
  w.File().WriteUtf8Line(
      " PROPOZYCJA WYŁĄCZEŃ (metoda odporna; wyszukiwanie kolejno wskazuje inne punkty):");
  w.File().WriteUtf8Line(
      "  start, którego błędy grube nie przyciągają: najmniejsze przycięte kwadraty (h = " +
      std::to_string(robust.coverage) + " z " + std::to_string(robust.sampled) + " punktów)");
  w.File().WriteUtf8Line("  z " + std::to_string(robust.starts) + " losowych podzbiorów po " +
                         std::to_string(subset) + " " +
                         std::string(textio::PluralForm(subset, "punkcie", "punkty", "punktów")) +
                         " (stałe ziarno); potem najmniejsze kwadraty z wagami 0 i 1:");
  w.File().WriteUtf8Line(
      "  punkt o |v|^2 > 9,21 m0^2 (m0 z mediany |v|^2 wszystkich punktów; w pierwszym kroku");
  w.File().WriteUtf8Line(
      "  18,42 m0^2 przyciętego dopasowania) wypada, pozostałe wracają; na końcu ocena jak w");
  w.File().WriteUtf8Line(
      "  przebiegu: punkt wyłączony wraca, gdy jego T = |d|^2 / (2 m0^2 (1 + h)) względem");
  w.File().WriteUtf8Line(
      "  dopasowania bez wyłączonych nie przekracza F_kr,zb pozostałych punktów i jego samego,");
  w.File().WriteUtf8Line(
      "  a punkt pozostały o T ponad F_kr,zb wypada (jak w wyszukiwaniu kolejno).");
  if (r.snooping.empty()) {
    std::string clear =
        "  Test zbioru nie wskazuje punktu: większość proponowanych ponad F_kr,odp = F(1 - a; 2, "
        "r) = ";
    textio::AppendFixed(clear, robust.clearCritical, 0, 4);
    w.File().WriteUtf8Line(clear + ",");
    w.File().WriteUtf8Line("  a = 1 - 0,99^(1/n) (1 % dla całego zbioru).");
  }
  w.File().WriteUtf8Line("  Tylko propozycja: przebieg korzysta z Wykluczone.txt tak, jak jest.");
  w.File().WriteUtf8Line("                Nr         T");
  for (const ProposedExclusion& p : robust.points) {
    std::string line = "  ";
    AppendRight(line, p.nr.View(), 16);
    AppendFixed(line, p.t, 10, 2);
    w.File().WriteLine(line);
  }
  std::string m0 = "  m0 bez proponowanych = ";
  textio::AppendFixed(m0, robust.m0, 0, 4);
  w.File().WriteUtf8Line(m0 + " m");
  SnoopingRule(w, " Wyszukiwanie kolejno (dla porównania): ");
  w.File().WriteUtf8Line("  poniżej 3.");
  SnoopingSteps(w, r.snooping);
}

void Proposal(ControlWriter& w, const TransformationResult& r) {
  w.Separator();
  if (r.robustProposal) {
    RobustProposalBlock(w, r);
    return;
  }
  SnoopingRule(w, " PROPOZYCJA WYŁĄCZEŃ (wyszukiwanie błędów grubych): ");
  w.File().WriteUtf8Line(
      "  poniżej 3. Tylko propozycja: przebieg korzysta z Wykluczone.txt tak, jak jest.");
  SnoopingSteps(w, r.snooping);
}

void Problems(ControlWriter& w, const Exclusions& exclusions) {
  if (exclusions.problems.empty()) return;
  w.Separator();
  w.File().WriteUtf8Line(" BŁĘDY W PLIKU Wykluczone.txt (te wiersze pominięto)");
  for (const std::string& problem : exclusions.problems)
    w.File().WriteUtf8Line("  " + problem);
}

void Models(ControlWriter& w, const std::vector<ModelRow>& rows, double budgetSeconds) {
  w.Separator();
  w.File().WriteUtf8Line(
      " PORÓWNANIE MODELI (punkty użyte w dopasowaniu; modele z nadwymiarowością r >= 3)");
  w.File().WriteUtf8Line("  rodzaj      stopień    u      r       m0  max |v|  RMS |d|  max |d|");
  const ModelRow* suggested = nullptr;
  for (const ModelRow& r : rows) {
    std::string line = "  ";
    line += textio::Utf8ToCp1250(KindName(r.kind));
    line.resize(14, ' ');
    textio::AppendInteger(line, r.degree, 5);
    textio::AppendInteger(line, r.unknowns, 5);
    textio::AppendInteger(line, r.redundancy, 7);
    if (r.skipped) {
      line += textio::Utf8ToCp1250("   pominięty (limit czasu ");
      line += textio::General(budgetSeconds) + " s)";
    } else if (r.defective) {
      line += textio::Utf8ToCp1250("   defekt układu");
    } else {
      for (long double v : {r.m0, r.maxResidual, r.looRms, r.looMax})
        w.Number(line, v);
      if (!r.looComplete) line += "  h=1";
      if (r.suggested) line += textio::Utf8ToCp1250("  <- sugerowany");
    }
    if (r.suggested) suggested = &r;
    w.File().WriteLine(line);
  }
  if (rows.empty()) w.File().WriteUtf8Line("  za mało punktów dostosowania");
  if (suggested) {
    w.File().WriteUtf8Line(" Model sugerowany: " + std::string(KindName(suggested->kind)) +
                           " stopnia " + std::to_string(suggested->degree) +
                           " (najmniejszy RMS |d|; przy różnicy do 1 mm mniej niewiadomych)");
  }
}

}  // namespace

const char* KindName(int kind) {
  return kind == 1 ? "konforemna" : "ogólna";
}

std::string ModelName(int kind, int degree) {
  return std::string("transformacja ") + KindName(kind) + " stopnia " + std::to_string(degree);
}

// Each limit of the job against its figure, and the verdict; nothing without limits.
void LimitBlock(ControlWriter& w, const std::vector<LimitCheck>& limits) {
  if (limits.empty()) return;
  w.Separator();
  w.File().WriteUtf8Line(" LIMITY DOKŁADNOŚCI (Limity.txt lub wiersz poleceń)");
  for (const LimitCheck& c : limits) {
    std::string line = std::string("  ") + c.name + " = ";
    textio::AppendFixed(line, c.value, 0, 4);
    line += " m, limit ";
    textio::AppendFixed(line, c.limit, 0, 4);
    line += c.met ? " m: spełnia" : " m: nie spełnia";
    w.File().WriteUtf8Line(line);
  }
  w.File().WriteUtf8Line(AllMet(limits) ? "  wynik: spełnia" : "  wynik: nie spełnia");
}

// The folders of a joint fit, each with its own separate fit's m0 beside the joint one.
void JointBlock(ControlWriter& w, const std::vector<JointPart>& joint, bool fitted,
                long double m0) {
  if (joint.empty()) return;
  w.Separator();
  std::string line = " TRANSFORMACJA WSPÓLNA FOLDERÓW: ";
  textio::AppendInteger(line, static_cast<std::int64_t>(joint.size()));
  if (fitted) {
    line += ", m0 wspólne = ";
    textio::AppendFixed(line, m0, 0, 4);
    line += " m";
  }
  w.File().WriteUtf8Line(line);
  w.File().WriteUtf8Line("  punkty  wniesione  m0 własne [m]  folder");
  for (const JointPart& part : joint) {
    line = "  ";
    textio::AppendInteger(line, part.records, 6);
    textio::AppendInteger(line, part.added, 11);
    textio::AppendRight(line, part.ownM0 ? textio::Fixed(*part.ownM0, 0, 4) : "-", 15);
    w.File().WriteUtf8Line(line + "  " + part.folder);
  }
}

// How closely the whole correction as a PROJ pipeline gives the run's coordinates.
void TinBlock(ControlWriter& w, const CorrectionTin* tin) {
  if (!tin) return;
  w.Separator();
  w.File().WriteUtf8Line(
      " CAŁA KOREKTA JAKO POTOK PROJ: Transformacja_pelna.proj (horner + tinshift)");
  w.File().WriteUtf8Line("  Korekta.json: wierzchołków " + std::to_string(tin->vertices.size()) +
                         ", trójkątów " + std::to_string(tin->triangles.size()));
  std::string line = "  największa różnica potoku od współrzędnych przebiegu: ";
  textio::AppendFixed(line, tin->largestDifference, 0, 4);
  line += " m (" + std::to_string(tin->positions) + " wierzchołków mapy i punktów dostosowania";
  w.File().WriteUtf8Line(line + " oraz środki trójkątów)");
}

void WriteControlReport(const std::string& folder, const TransformationResult& r,
                        RunEvents& events) {
  const TFittedTransformation& f = r.FittedTransformation;
  ControlWriter w(textio::PathInFolder(folder, SlotFileName(slot::kControl)));
  Header(w, folder, r.choice);
  JointBlock(w, r.input->joint, f.fitted, f.figures.m0);
  LimitBlock(w, r.limitChecks);
  // The correction's pipeline is written from a usable fit only.
  TinBlock(w, f.Usable() ? r.tin.get() : nullptr);
  if (f.fitted) {
    UsedPoints(w, r);
  } else {
    w.Separator();
    w.File().WriteUtf8Line(" *** Brak transformacji - punktów nie można ocenić");
  }
  if (f.fitted) {
    Proposal(w, r);
    ExcludedPoints(w, r.checks);
  }
  Problems(w, r.exclusions);
  if (f.fitted) Models(w, r.models, r.comparisonBudget);
  w.Separator();
  CloseOrReport(w.File(), events);
}
