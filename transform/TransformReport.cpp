#include "transform/TransformReport.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Version.h"
#include "core/WorkingFiles.h"
#include "core/WriteFailure.h"
#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "transform/TransformationResult.h"

using textio::AppendFixed;
using textio::AppendInteger;
using textio::AppendRight;
using textio::AppendScientific;

namespace {

constexpr int kLineWidth = 80;

void AppendNumber16(std::string& line, const PointNumber& nr) {
  AppendRight(line, nr.View(), 16);
}

const char* CountLabel(CountLine line) {
  switch (line) {
    case CountLine::PrimaryGiven:
      return "  Liczba danych punktów zbioru pierwotnego (xy1) = ";
    case CountLine::PrimaryRepeats:
      return "  Liczba powtórzeń w zbiorze (xy1): ";
    case CountLine::PrimaryVerified:
      return "  Zweryfikowana liczba punktów zbioru (xy1)      = ";
    case CountLine::SecondaryGiven:
      return "  Liczba danych punktów zbioru wtórnego (xy2)    = ";
    case CountLine::SecondaryRepeats:
      return "  Liczba powtórzeń w zbiorze (xy2): ";
    case CountLine::SecondaryVerified:
      return "  Zweryfikowana liczba punktów zbioru (xy2)      = ";
    case CountLine::Common:
      return "  Liczba punktów wspólnych (xy1) i (xy2)         = ";
    case CountLine::Excluded:
      return "  Wyłączone z dopasowania (Wykluczone.txt)       = ";
  }
  return "";
}

}  // namespace

void TransformReport::Create(const std::string& folder, std::int32_t decimals) {
  decimals_ = decimals;
  const auto path = [&](int slot) { return textio::PathInFolder(folder, SlotFileName(slot)); };
  report_.Create(path(slot::kReport));
  xy_.Create(path(slot::kXy));
  xySk_.Create(path(slot::kXySk));
  xySk1_.Create(path(slot::kXySk1));
  err_.Create(path(slot::kErrors));
}

void TransformReport::Separator() {
  report_.WriteLine(std::string(kLineWidth, '-'));
}

void TransformReport::Header(const std::string& folder, std::int32_t kind, std::int32_t degree) {
  const std::string rule = " " + std::string(kLineWidth, '_');
  report_.WriteUtf8Line(rule);
  report_.WriteUtf8Line(std::string(" ZORNAK_edz  wersja  ") + kZornakVersion +
                        " - korekty lokalne metodą Hausbrandta");
  report_.WriteUtf8Line(rule);
  report_.WriteUtf8Line(" DATA: ");
  report_.WriteUtf8Line(" OBIEKT ROBOCZY: " + folder);
  report_.WriteUtf8Line(" WYKONAWCA: ");
  report_.WriteUtf8Line("  ");
  report_.WriteUtf8Line("  ");
  std::string model = kind == 1 ? " MODEL: TRANSFORMACJA KONFOREMNA stopnia "
                                : " MODEL: TRANSFORMACJA OGÓLNOWIELOMIANOWA(lokalnie afiniczna) "
                                  "stopnia ";
  AppendInteger(model, degree);
  report_.WriteUtf8Line(model);
  report_.WriteUtf8Line(" DANE WEJŚCIOWE: ");
}

void TransformReport::Count(CountLine line, std::int64_t value) {
  std::string text = CountLabel(line);
  AppendInteger(text, value);
  report_.WriteUtf8Line(text);
}

void TransformReport::Repetition(const PointNumber& nr, long double dx, long double dy) {
  std::string line = textio::Utf8ToCp1250(" * Powtórzenie punktu: ");
  line += nr.View();
  line += "  dx, dy : ";
  AppendFixed(line, dx, 10, 3);
  line += ' ';
  AppendFixed(line, dy, 10, 3);
  report_.WriteLine(line);
  err_.WriteLine(line);
}

void TransformReport::Damage(std::string_view utf8) {
  const std::string line = textio::Utf8ToCp1250("  " + std::string(utf8));
  report_.WriteLine(line);
  err_.WriteLine(line);
}

void TransformReport::Defect() {
  report_.WriteUtf8Line("*** Defekt układu dla okreslonego modelu i stopnia transformacji");
  err_.WriteLine(
      textio::Utf8ToCp1250(" *** Defekt układu dla określonego modelu i stopnia transformacji"));
}

void TransformReport::AdjustmentPoints(const TFittedTransformation& f) {
  Separator();
  report_.WriteUtf8Line(" WYKAZ WSPÓŁRZĘDNYCH PUNKTÓW DOSTOSOWANIA");
  report_.WriteUtf8Line("                        Układ pierwotny              Układ wtórny");
  report_.WriteUtf8Line("          Nr            x1            y1            x2            y2");
  std::string line;
  for (std::int32_t k = 1; k <= f.ls; ++k) {
    line.clear();
    AppendNumber16(line, f.Nr[k]);
    for (long double v : {f.model.x(k), f.model.y(k), f.model.x2(k), f.model.y2(k)}) {
      line += ' ';
      AppendFixed(line, v, 13, decimals_);
    }
    report_.WriteLine(line);
  }
}

void TransformReport::Parameters(const trk::FittedModel& f) {
  report_.WriteUtf8Line(" PARAMETRY OGÓLNE:");
  std::string line = "  Skala = ";
  AppendScientific(line, f.skala());
  report_.WriteUtf8Line(line);
  report_.WriteUtf8Line("  Srodki ciężkości zbiorów punktów dostosowania:");
  auto centre = [&](std::string text, long double a, long double b, const char* tail) {
    AppendFixed(text, a, 15, 4);
    text += ' ';
    AppendFixed(text, b, 15, 4);
    text += tail;
    report_.WriteUtf8Line(text);
  };
  centre("  Układ pierwotny (1): ", f.xo(), f.yo(), " (xo, yo)");
  centre("  Układ wtórny    (2): ", f.Xo(), f.Yo(), " (Xo, Yo)");
}

void TransformReport::CoefficientLine(std::string line, long double value, long double meanError,
                                      std::string_view errorLabel) {
  line += "]:= ";
  AppendScientific(line, value);
  line += meanError > std::fabs(value) ? " ~0 " : "    ";
  line += errorLabel;
  AppendScientific(line, meanError);
  report_.WriteUtf8Line(line);
}

void TransformReport::Coefficients(const trk::FittedModel& model) {
  const std::int32_t degree = model.Degree();
  auto coefficientLine = [&](std::string head, std::int32_t k, std::string_view errorLabel) {
    CoefficientLine(std::move(head), model.Coefficient(k), model.MeanError(k), errorLabel);
  };
  if (model.Kind() == 1) {
    report_.WriteUtf8Line(" WSPÓŁCZYNNIKI WIELOMIANU ZESPOLONEGO I BŁEDY ŚREDNIE");
    for (std::int32_t k = 0; k <= degree; ++k) {
      for (int part = 0; part < 2; ++part) {
        std::string head = part == 0 ? "  a[" : "  b[";
        AppendInteger(head, k);
        const std::int32_t index = 2 * k + part + 1;
        coefficientLine(head, index, "  blad śr.=");
      }
    }
    for (const char* text :
         {" WZÓR TRANSFORMACJI (wielomian zespolony):",
          "  Z-Zo = c[0] + c[1]*z + c[2]*z*z + c[3]*z*z*z + ....",
          "  Z=(X,Y) - współrzędne wynikowe", "  Zo=(Xo,Yo) - środek ciężkości w układzie wtórnym",
          "  z=[(x-xo)*skala, (y-yo)*skala ] - argument zespolony",
          "  (x,y)- współrzędne pierwotne", "  (xo,yo)- środek ciężkości w układzie pierwotnym",
          "  c[0]=(a[0],b[0]), c1=(a[1],b[1]), ... ,c[n]=(a[n],b[n])",
          "  - współczynniki wielomianu"}) {
      report_.WriteUtf8Line(text);
    }
    return;
  }
  report_.WriteUtf8Line(" WSPÓŁCZYNNIKI WIELOMIANÓW I BŁEDY ŚREDNIE");
  std::int32_t index = 1;
  for (int group = 0; group < 2; ++group) {
    for (std::int32_t i = 0; i <= degree; ++i) {
      for (std::int32_t j = 0; j <= degree - i; ++j, ++index) {
        std::string head = group == 0 ? "  a[" : "  b[";
        AppendInteger(head, i);
        head += ',';
        AppendInteger(head, j);
        coefficientLine(head, index, group == 0 ? "  bląd śr. =" : "  błąd śr. =");
      }
    }
  }
  for (const char* text : {"  WZORY TRANSFORMACJI (wielomiany stopnia n): ",
                           "    X-Xo = Suma[ a[i,j]*(u^i)*(v^j) ] po i,j=0,1,2,..,n",
                           "    Y-Yo = Suma[ b[i,j]*(u^i)*(v^j) ] po i,j=0,1,2,..,n",
                           "    u=(x-xo)*skala,  v=(y-yo)*skala - unormowane argumenty",
                           "    xo,yo - współrzędne środka ciężkości w układzie pierwotnym",
                           "    Xo,Yo - współrzędne środka ciężkości w układzie wtórnym",
                           "    x,y - dane współrzędne w układzie pierwotnym",
                           "    X,Y - wynikowe współrzędne w układzie wtórnym"}) {
    report_.WriteUtf8Line(text);
  }
}

void TransformReport::ResidualsHeader() {
  Separator();
  report_.WriteUtf8Line(" ODCHYŁKI NA PUNKTACH DOSTOSOWANIA");
  report_.WriteUtf8Line("           Nr            dx         dy ");
}

void TransformReport::Residual(const PointNumber& nr, long double vx, long double vy) {
  std::string line;
  AppendNumber16(line, nr);
  line += ' ';
  AppendFixed(line, vx, 10, decimals_);
  line += ' ';
  AppendFixed(line, vy, 10, decimals_);
  report_.WriteLine(line);
}

void TransformReport::Analysis(const AccuracyFigures& a) {
  Separator();
  report_.WriteUtf8Line(" ANALIZA");
  report_.WriteUtf8Line("  Odchyłki średniokwadratowe (sX,sY, wypadkowa s):");
  std::string line = "  sX = ";
  AppendFixed(line, a.sX, 10, decimals_);
  line += "  sY = ";
  AppendFixed(line, a.sY, 10, decimals_);
  line += "  s = ";
  AppendFixed(line, a.s, 10, decimals_);
  report_.WriteUtf8Line(line);
  auto count = [&](const char* label, std::int64_t value) {
    std::string text = label;
    AppendInteger(text, value);
    report_.WriteUtf8Line(text);
  };
  count("  Ilość równań          = ", a.equations);
  count("  Ilość niewiadomych    = ", a.unknowns);
  count("  Nadwymiarowość układu = ", a.redundancy);
  line = "  Błąd średni jednostkowy m0 = ";
  AppendFixed(line, a.m0, 10, decimals_);
  report_.WriteUtf8Line(line);
  line = textio::Utf8ToCp1250("  Odchyłka wypadkowa maksymalna: ");
  AppendFixed(line, a.maxResidual, 10, decimals_);
  line += " dla punktu: ";
  line += a.maxResidualPoint.View();
  report_.WriteLine(line);
}

void TransformReport::Listing(const TFittedTransformation& f,
                              const std::vector<TransformedPoint>& values) {
  Separator();
  report_.WriteUtf8Line(" WYKAZ WSPÓŁRZĘDNYCH PRZED I PO TRANSFORMACJI");
  std::string line = "lp= ";
  AppendInteger(line, f.lp);
  line += " ls= ";
  AppendInteger(line, f.ls);
  report_.WriteUtf8Line(line);
  report_.WriteUtf8Line(
      "                      współrzędne dane    współrzędne po transf.         korekty");
  report_.WriteUtf8Line(
      "                           (pierwotne)  (bez korekt Hausbrandta)     Hausbrandta");
  report_.WriteUtf8Line(
      "              Nr             x             y             X             Y       dx      dy");
  const int d = decimals_;
  std::string model, corrected;
  // A result holds a value for every listing point; none is read past the ones it holds.
  const auto listed = static_cast<std::int32_t>(std::min<std::size_t>(f.lp, values.size()));
  for (std::int32_t k = 1; k <= listed; ++k) {
    const TransformedPoint& t = values[static_cast<std::size_t>(k) - 1];
    const long double x = f.model.x(k), y = f.model.y(k);
    line.clear();
    AppendNumber16(line, f.Nr[k]);
    model = line;
    corrected = line;
    for (long double v : {x, y}) {
      line += ' ';
      AppendFixed(line, v, 13, d);
    }
    for (long double v : {t.X, t.Y}) {
      model += ' ';
      AppendFixed(model, v, 13, d);
    }
    for (long double v : {t.dx, t.dy}) {
      model += ' ';
      AppendFixed(model, v, 8, d);
    }
    line.append(model, 16);
    for (long double v : {t.Xk, t.Yk}) {
      corrected += ' ';
      AppendFixed(corrected, v, 13, d);
    }
    corrected += ' ';
    AppendFixed(corrected, std::sqrt(t.dx * t.dx + t.dy * t.dy), 8, d);
    report_.WriteLine(line);
    xy_.WriteLine(model);
    xySk_.WriteLine(corrected);
    if (k > f.ls) xySk1_.WriteLine(corrected);
  }
}

void TransformReport::Description() {
  Separator();
  for (const char* text :
       {" OPIS POZOSTAŁYCH PLIKÓW WYNIKOWYCH UTWORZONYCH W KATALOGU ROBOCZYM:",
        " xy.tra     - współrzędne po transformacji (bez korekt Hausbrandta) oraz",
        "              obliczone składowe korekt Hausbrandta dx, dy",
        " xy_sk.tra  - współrzędne  ostateczne  (po dodaniu korekt) oraz wartości",
        "              wypadkowe (długości wektorów) korekt dr=sqrt(dx*dx+dy*dy)",
        "              jako miary dokładności wpasowania punktów",
        " xy_sk1.tra - wykaz analogiczny do poprzedniego  ale  tylko  dla punktów",
        "              transformowanych (z wyłączeniem punktów dostosowania)"}) {
    report_.WriteUtf8Line(text);
  }
  report_.WriteUtf8Line(std::string(67, '_') + "veltra_5.0" + std::string(3, '_'));
}

void TransformReport::Close(RunEvents& events) {
  for (textio::TextFileWriter* file : {&report_, &xy_, &xySk_, &xySk1_, &err_}) {
    CloseOrReport(*file, events);
  }
}

namespace {

void InputBlock(const SetVerification& set, bool secondary, TransformReport& report) {
  report.Count(secondary ? CountLine::SecondaryGiven : CountLine::PrimaryGiven, set.given);
  for (const RepeatedPoint& p : set.repetitions)
    report.Repetition(p.nr, p.dx, p.dy);
  if (!set.repetitions.empty()) {
    report.Count(secondary ? CountLine::SecondaryRepeats : CountLine::PrimaryRepeats,
                 static_cast<std::int64_t>(set.repetitions.size()));
  }
  report.Count(secondary ? CountLine::SecondaryVerified : CountLine::PrimaryVerified, set.verified);
}

}  // namespace

void WriteTransformReport(const std::string& folder, const TransformationResult& result,
                          RunEvents& events) {
  const ModelChoice& choice = result.choice;
  const TFittedTransformation& f = result.FittedTransformation;
  TransformReport report;
  report.Create(folder, choice.ReportDecimals);
  report.Header(folder, choice.TransformKind, choice.TransformDegree);
  InputBlock(result.primary, false, report);
  InputBlock(result.secondary, true, report);
  report.Count(CountLine::Common, f.ls + result.excluded);
  if (!result.input->damage.empty()) report.Damage(result.input->damage);
  if (result.excluded > 0) report.Count(CountLine::Excluded, result.excluded);
  if (result.determinable) report.AdjustmentPoints(f);
  if (f.fitted) {
    report.Parameters(f.model);
    report.Coefficients(f.model);
    report.ResidualsHeader();
    for (std::int32_t k = 1; k <= f.ls; ++k)
      report.Residual(f.Nr[k], f.model.vx(k), f.model.vy(k));
    report.Analysis(f.figures);
    report.Listing(f, result.listing);
    report.Description();
  } else {
    report.Defect();
  }
  report.Close(events);
}
