#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/transform/TransformTestFolder.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "transform/FittedTransformation.h"
#include "transform/TransformPoint.h"

namespace {

using Lines = std::vector<std::string>;

TPkt Point(const std::string& nr, long double x, long double y, long double dX = 100,
           long double dY = 200) {
  return {nr, x, y, x + dX, y + dY};
}

TEST_F(TransformRun, RepeatsAreReportedAgainstTheFirstOccurrence) {
  folder.WriteAdjustmentPoints({Point("7", 1000, 2000), Point("8", 1100, 2000),
                                Point("7", 1001, 2002), Point("9", 1000, 2100),
                                Point("7", 1000, 2000.0123L)});
  Run();
  const Lines repeats = {" * Powtórzenie punktu: 7  dx, dy :      1.000      2.000",
                         " * Powtórzenie punktu: 7  dx, dy :      0.000      0.012"};
  EXPECT_EQ(ReportLines(" * Powt"), (Lines{repeats[0], repeats[1], repeats[0], repeats[1]}));
  EXPECT_EQ(FileLines("err.tra"), (Lines{repeats[0], repeats[1], repeats[0], repeats[1]}));
  EXPECT_EQ(ReportLines("  Liczba powtórzeń"), (Lines{"  Liczba powtórzeń w zbiorze (xy1): 2",
                                                      "  Liczba powtórzeń w zbiorze (xy2): 2"}));
  EXPECT_EQ(ReportLines("  Zweryfikowana"),
            (Lines{"  Zweryfikowana liczba punktów zbioru (xy1)      = 3",
                   "  Zweryfikowana liczba punktów zbioru (xy2)      = 3"}));
  EXPECT_EQ(Fitted().ls, 3);
  EXPECT_EQ(Fitted().lp, 3);
  EXPECT_EQ(Fitted().model.x(1), 1000);  // the first occurrence survives
}

TEST_F(TransformRun, NumbersAreComparedOnTheirFirst16CharactersByteForByte) {
  folder.WriteAdjustmentPoints({Point("ABCDEFGHIJKLMNOP1", 0, 0), Point("ABCDEFGHIJKLMNOP2", 5, 5),
                                Point("a", 10, 0), Point("A", 0, 10), Point("A ", 10, 10)});
  Run();
  const std::string repeat =
      " * Powtórzenie punktu: ABCDEFGHIJKLMNOP  dx, dy :      5.000      5.000";
  EXPECT_EQ(ReportLines(" * Powt"), (Lines{repeat, repeat}));
  EXPECT_EQ(Fitted().ls, 4);
}

TEST_F(TransformRun, StarRecordsRepeatEveryMarkedPointBeforeThem) {
  folder.WriteAdjustmentPoints({Point("*", 1, 1), Point("A", 2, 2), Point("A", 3, 3),
                                Point("*", 5, 5), Point("B", 0, 9), Point("C", 9, 0)});
  Run();
  const Lines expected = {" * Powtórzenie punktu: A  dx, dy :      1.000      1.000",
                          " * Powtórzenie punktu: *  dx, dy :      4.000      4.000",
                          " * Powtórzenie punktu: *  dx, dy :      2.000      2.000"};
  const Lines found = ReportLines(" * Powt");
  ASSERT_EQ(found.size(), 6u);  // the same three lines for each set
  EXPECT_EQ(Lines(found.begin(), found.begin() + 3), expected);
  EXPECT_EQ(Lines(found.begin() + 3, found.end()), expected);
  EXPECT_EQ(Fitted().ls, 3);
}

TEST_F(TransformRun, TooFewPointsGiveTheDefectAndEmptyLists) {
  struct Case {
    int kind, degree, points;
  };
  for (const Case c : {Case{1, 1, 1}, Case{2, 3, 9}, Case{1, 1, 0}}) {
    TPktDostosowania points;
    for (int i = 0; i < c.points; ++i)
      points.push_back(Point(std::to_string(i), i * 7, i * i));
    folder.WriteAdjustmentPoints(points);
    Run(c.kind, c.degree);
    const Lines report = FileLines("Protokol.tra");
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.back(), "*** Defekt układu dla okreslonego modelu i stopnia transformacji");
    EXPECT_EQ(report[report.size() - 2].rfind("  Liczba punktów wspólnych", 0), 0u);
    EXPECT_EQ(FileLines("err.tra"),
              Lines{" *** Defekt układu dla określonego modelu i stopnia transformacji"});
    for (const char* list : {"xy.tra", "xy_sk.tra", "xy_sk1.tra"}) {
      EXPECT_TRUE(folder.Exists(list));
      EXPECT_EQ(folder.Read(list), "");
    }
    EXPECT_FALSE(Fitted().fitted);
  }
}

TEST_F(TransformRun, DefectiveFitFollowsTheAdjustmentPointList) {
  folder.WriteAdjustmentPoints(
      {Point("1", 10, 10), Point("2", 20, 20), Point("3", 30, 30), Point("4", 40, 40)});
  Run(2, 1);  // affine on collinear points
  const Lines report = FileLines("Protokol.tra");
  EXPECT_EQ(report[report.size() - 2],
            "               4       40.0000       40.0000      140.0000      240.0000");
  EXPECT_EQ(report.back(), "*** Defekt układu dla okreslonego modelu i stopnia transformacji");
}

TEST_F(TransformRun, NoRedundancyGivesZeroErrorsAndNoFlags) {
  folder.WriteAdjustmentPoints({Point("1", 1000, 2000), Point("2", 1300, 2500)});
  Run();
  EXPECT_EQ(ReportLines("  Nadwymiarowo"), Lines{"  Nadwymiarowość układu = 0"});
  EXPECT_EQ(ReportLines("  Błąd średni"), Lines{"  Błąd średni jednostkowy m0 =     0.0000"});
  const Lines coefficients = ReportLines("  a[");
  ASSERT_EQ(coefficients.size(), 2u);
  for (const std::string& line : coefficients) {
    EXPECT_NE(line.find("    blad śr.= 0.00000000000000E+0000"), std::string::npos) << line;
  }
}

TEST_F(TransformRun, GeneralModelReportsItsCoefficientsInOrder) {
  TPktDostosowania points;
  for (int i = 0; i < 12; ++i) {
    points.push_back(Point(std::to_string(i), 1000 + 37 * (i % 4) + i, 2000 + 51 * (i / 4) - i));
  }
  folder.WriteAdjustmentPoints(points);
  Run(2, 2);
  Lines heads;
  for (const std::string& line : FileLines("Protokol.tra")) {
    if (line.rfind("  a[", 0) == 0 || line.rfind("  b[", 0) == 0)
      heads.push_back(line.substr(0, 9));
  }
  EXPECT_EQ(heads,
            (Lines{"  a[0,0]:", "  a[0,1]:", "  a[0,2]:", "  a[1,0]:", "  a[1,1]:", "  a[2,0]:",
                   "  b[0,0]:", "  b[0,1]:", "  b[0,2]:", "  b[1,0]:", "  b[1,1]:", "  b[2,0]:"}));
  EXPECT_EQ(ReportLines("  a[0,0]")[0].find("  bląd śr. ="), 38u);
  EXPECT_EQ(ReportLines("  b[0,0]")[0].find("  błąd śr. ="), 38u);
  EXPECT_EQ(ReportLines(" MODEL"),
            Lines{" MODEL: TRANSFORMACJA OGÓLNOWIELOMIANOWA(lokalnie afiniczna) stopnia 2"});
}

TEST_F(TransformRun, UnreadableFileGivesOneMessageAndAllFiveFiles) {
  auto int32 = [](std::int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  const std::string header = int32(0) + int32(0) + int32(0);
  const std::string read = "Błąd odczytu pliku TRANSPKT.BIN";
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"missing", "", read},
      {"truncated", header + int32(2) + int32(1) + "A" + std::string(25, '\0'),
       read + "\nTRANSPKT.BIN uszkodzony: odczytano 0 z 2 rekordów"},
      {"negative count", header + int32(-3),
       read + "\nTRANSPKT.BIN uszkodzony: liczba rekordów -3 poza zakresem 0..200000"},
      {"oversized", header + int32(200001),
       read + "\nTRANSPKT.BIN uszkodzony: liczba rekordów 200001 poza zakresem 0..200000"},
  };
  for (const auto& [name, bytes, message] : cases) {
    folder.Remove("TRANSPKT.BIN");
    if (!bytes.empty()) folder.Write("TRANSPKT.BIN", bytes);
    window.messages.clear();
    Run();
    EXPECT_EQ(window.messages, Lines{message}) << name;
    for (const char* file : {"Protokol.tra", "xy.tra", "xy_sk.tra", "xy_sk1.tra", "err.tra"}) {
      EXPECT_TRUE(folder.Exists(file)) << name << " " << file;
    }
    EXPECT_EQ(FileLines("Protokol.tra").back(),
              "*** Defekt układu dla okreslonego modelu i stopnia transformacji")
        << name;
  }
}

// 50 points with a known Helmert relation plus noise: the run's residuals, m0 and listing
// agree with a closed-form Helmert computed here.
TEST_F(TransformRun, HelmertWithNoiseAgreesWithClosedForm) {
  std::mt19937 random(2000);
  std::normal_distribution<long double> noise(0, 0.015L);
  std::uniform_real_distribution<long double> spread(0, 2500);
  TPktDostosowania points;
  for (int i = 0; i < 50; ++i) {
    const long double x = 5567000 + spread(random), y = 7456000 + spread(random);
    points.push_back({"P" + std::to_string(i), x, y,
                      0.31L + (1 + 6e-6L) * x - 2e-6L * y + noise(random),
                      -0.12L + 2e-6L * x + (1 + 6e-6L) * y + noise(random)});
  }
  folder.WriteAdjustmentPoints(points);
  Run();
  long double xc = 0, yc = 0, Xc = 0, Yc = 0;
  for (const TPkt& p : points)
    xc += p.x1 / 50, yc += p.y1 / 50, Xc += p.x2 / 50, Yc += p.y2 / 50;
  long double sxx = 0, sa = 0, sb = 0;
  for (const TPkt& p : points) {
    const long double dx = p.x1 - xc, dy = p.y1 - yc, dX = p.x2 - Xc, dY = p.y2 - Yc;
    sxx += dx * dx + dy * dy, sa += dx * dX + dy * dY, sb += dx * dY - dy * dX;
  }
  const long double a = sa / sxx, b = sb / sxx;
  long double vv = 0;
  const TFittedTransformation& f = Fitted();
  for (int k = 1; k <= 50; ++k) {
    const TPkt& p = points[k - 1];
    const long double vx = p.x2 - (Xc + a * (p.x1 - xc) - b * (p.y1 - yc));
    const long double vy = p.y2 - (Yc + b * (p.x1 - xc) + a * (p.y1 - yc));
    vv += vx * vx + vy * vy;
    EXPECT_NEAR(f.model.vx(k), vx, 1e-6L);
    EXPECT_NEAR(f.model.vy(k), vy, 1e-6L);
  }
  const long double m0 = std::sqrt(vv / (100 - 4));
  EXPECT_EQ(ReportLines("  Błąd średni"),
            Lines{"  Błąd średni jednostkowy m0 = " + textio::Fixed(m0, 10, 4)});
  // Coefficients a1, b1 of the conformal model, per normalised unit.
  EXPECT_NEAR(f.model.Coefficient(3) * f.model.skala(), a, 1e-12L);
  EXPECT_NEAR(f.model.Coefficient(4) * f.model.skala(), b, 1e-12L);
}

TEST_F(TransformRun, AdjustmentPointsListExactlyTheirSecondaryCoordinates) {
  TPktDostosowania points;
  for (int i = 0; i < 9; ++i) {
    points.push_back({std::to_string(100 + i), 5567000.123L + 401 * (i % 3) + i * 0.37L,
                      7456000.456L + 377 * (i / 3) - i * 0.11L,
                      5567000.2L + 401 * (i % 3) + i * 0.31L,
                      7456000.3L + 377 * (i / 3) - i * 0.13L});
  }
  folder.WriteAdjustmentPoints(points);
  Run();
  const Lines listed = FileLines("xy_sk.tra");
  ASSERT_EQ(listed.size(), 9u);
  for (int k = 1; k <= 9; ++k) {
    const TFittedTransformation& f = Fitted();
    TransformedPoint t;
    TransformPoint(f, f.model.x(k), f.model.y(k), t);
    EXPECT_EQ(t.Xk, f.model.x2(k));
    EXPECT_EQ(t.Yk, f.model.y2(k));
    const std::string expected = std::string(13, ' ') + std::to_string(100 + k - 1) + " " +
                                 textio::Fixed(f.model.x2(k), 13, 4) + " " +
                                 textio::Fixed(f.model.y2(k), 13, 4) + " " +
                                 textio::Fixed(std::hypot(f.model.vx(k), f.model.vy(k)), 8, 4);
    EXPECT_EQ(listed[k - 1], expected);
  }
  EXPECT_EQ(folder.Read("xy_sk1.tra"), "");
  EXPECT_EQ(ReportLines("lp= "), Lines{"lp= 9 ls= 9"});
}

}  // namespace

namespace {

// The listing is computed on several threads a block at a time: one thread and four write
// the same bytes, across the 4,096-point block boundary and the parts of each block.
TEST_F(TransformRun, OneThreadAndFourWriteTheSameListing) {
  TPktDostosowania points;
  std::mt19937 random(9000);
  std::uniform_real_distribution<long double> spread(0, 3000);
  for (int i = 0; i < 9000; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    points.push_back({"P" + std::to_string(i), x, y, x + 0.2L + spread(random) * 1e-5L,
                      y - 0.1L + spread(random) * 1e-5L});
  }
  folder.WriteAdjustmentPoints(points);
  state.comparisonBudget = 0;  // the listing is what this test is about
  const std::vector<std::string> inputs = folder.Names();
  std::string written[2];
  for (int run = 0; run < 2; ++run) {
    folder.KeepOnly(inputs);
    state.threads = run == 0 ? 1 : 4;
    Run();
    written[run] = folder.Read("Protokol.tra") + folder.Read("xy.tra") + folder.Read("xy_sk.tra");
  }
  EXPECT_EQ(FileLines("xy_sk.tra").size(), 9000u);
  EXPECT_TRUE(written[0] == written[1]);
}

// The per-point figures (deletion figures in parts, excluded points in parts) and the model
// comparison (a row a thread) give the same Kontrola.tra on one thread and on three, when
// the comparison's time budget does not cut it short.
TEST_F(TransformRun, OneThreadAndThreeWriteTheSameJudgement) {
  TPktDostosowania points;
  std::mt19937 random(3100);
  std::uniform_real_distribution<long double> spread(0, 3000), noise(-0.02L, 0.02L);
  std::string excluded;
  for (int i = 0; i < 3100; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    points.push_back(
        {"P" + std::to_string(i), x, y, x + 0.2L + noise(random), y - 0.1L + noise(random)});
    if (i % 97 == 5) excluded += "P" + std::to_string(i) + "\r\n";
  }
  folder.WriteAdjustmentPoints(points);
  folder.Write("Wykluczone.txt", excluded);
  state.comparisonBudget = 1e9;
  const std::vector<std::string> inputs = folder.Names();
  std::string written[2];
  for (int run = 0; run < 2; ++run) {
    folder.KeepOnly(inputs);
    state.threads = run == 0 ? 1 : 3;
    Run();
    written[run] = folder.Read("Kontrola.tra") + folder.Read("Protokol.tra");
  }
  EXPECT_TRUE(written[0] == written[1]);
  const std::string control = textio::Cp1250ToUtf8(folder.Read("Kontrola.tra"));
  EXPECT_EQ(control.find("pominięty"), std::string::npos);  // every model was compared
  EXPECT_NE(control.find("P5 "), std::string::npos);
}

// A damaged TRANSPKT.BIN: the fit takes exactly the records read whole before the damage,
// never a placeholder of the ones it could not read; the report and err.tra say how far
// the read got, and the message box says it below its own text.
TEST_F(TransformRun, ADamagedFileFitsOnlyItsCompleteRecords) {
  TPktDostosowania points;
  for (int i = 0; i < 36; ++i) {
    const long double x = 5566000 + 97.0L * (i % 6) + 3.0L * i, y = 7455000 + 113.0L * (i / 6);
    points.push_back({"P" + std::to_string(i + 1), x, y, x + 0.2L + 0.001L * (i % 5),
                      y - 0.1L + 0.001L * (i % 3)});
  }
  folder.WriteAdjustmentPoints(points);
  const std::string whole = folder.Read("TRANSPKT.BIN");
  // header: int32 length, "test", two int32 numbers, int32 count; a record: int32 length,
  // its name, four 10-byte reals
  std::size_t recordStart[37];
  recordStart[0] = 4 + 4 + 4 + 4 + 4;
  for (int i = 0; i < 36; ++i)
    recordStart[i + 1] = recordStart[i] + 4 + points[i].Nr.size() + 40;
  ASSERT_EQ(recordStart[36], whole.size());
  struct Case {
    const char* name;
    std::size_t size;
    int complete, declared;
    std::string line;
  };
  const Case cases[] = {
      {"cut inside the 21st record", recordStart[20] + 17, 20, 36,
       "  TRANSPKT.BIN uszkodzony: odczytano 20 z 36 rekordów"},
      {"cut inside the header", 10, 0, -1,
       "  TRANSPKT.BIN uszkodzony: nagłówek niepełny, odczytano 0 rekordów"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder.Write("TRANSPKT.BIN", whole.substr(0, c.size));
    window.messages.clear();
    Run();
    const TFittedTransformation& f = Fitted();
    EXPECT_TRUE(f.readFailed);
    EXPECT_EQ(f.pointsRead, c.complete);
    EXPECT_EQ(f.recordsDeclared, c.declared);
    EXPECT_EQ(f.ls, c.complete);
    EXPECT_EQ(f.fitted, c.complete > 0);
    for (std::int32_t k = 1; k <= f.lp; ++k) {
      EXPECT_FALSE(f.Nr[k].View().empty()) << k;
      EXPECT_EQ(f.Nr[k].View(), points[k - 1].Nr);
    }
    EXPECT_TRUE(ReportLines("  Liczba powtórzeń").empty());
    EXPECT_EQ(ReportLines("  TRANSPKT.BIN uszkodzony"), Lines{c.line});
    const Lines errors = FileLines("err.tra");  // then the defect, when nothing fits
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], c.line);
    EXPECT_EQ(errors.size(), c.complete > 0 ? 1u : 2u);
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.messages[0], "Błąd odczytu pliku TRANSPKT.BIN\n" + c.line.substr(2));
  }
  // A whole file: no damage line.
  folder.Write("TRANSPKT.BIN", whole);
  Run();
  EXPECT_FALSE(Fitted().readFailed);
  EXPECT_TRUE(ReportLines("  TRANSPKT.BIN uszkodzony").empty());
}

}  // namespace

namespace {

// Limity.txt as a surveyor writes it, point or comma, any letter case; faulty lines named
// and ignored; written back atomically, and removed when no limit is left.
TEST(LimitFile, ReadsWritesAndNamesFaultyLines) {
  TestFolder folder;
  folder.Write("Limity.txt",
               "# zlecenie 12/2026\r\nm0 0,05\r\n\r\nODCHYLKA 0.12\r\nm0 0.07\r\n"
               "sigma 3\r\nodchylka 0\r\n");
  const LimitFile read = ReadLimitFile(folder.File("Limity.txt"));
  ASSERT_TRUE(read.present);
  EXPECT_EQ(read.limits.m0, 0.05L);
  EXPECT_EQ(read.limits.residual, 0.12L);
  ASSERT_EQ(read.problems.size(), 3u);
  EXPECT_EQ(read.problems[0], "Limity.txt, wiersz 5: limit podany drugi raz");
  EXPECT_EQ(read.problems[1].rfind("Limity.txt, wiersz 6: oczekiwano", 0), 0u);
  EXPECT_EQ(read.problems[2].rfind("Limity.txt, wiersz 7: ", 0), 0u);
  EXPECT_FALSE(ReadLimitFile(folder.File("brak.txt")).present);

  std::string failure;
  ASSERT_TRUE(WriteLimitFile(folder.File("Limity.txt"), {0.03L, std::nullopt}, failure));
  EXPECT_EQ(textio::Cp1250ToUtf8(folder.Read("Limity.txt")),
            "# Limity dokładności dopasowania w metrach (ZORNAK_edz)\r\nm0 0.03\r\n");
  EXPECT_EQ(ReadLimitFile(folder.File("Limity.txt")).limits.m0, 0.03L);
  ASSERT_TRUE(WriteLimitFile(folder.File("Limity.txt"), {}, failure));
  EXPECT_FALSE(folder.Exists("Limity.txt"));
  // Each limit is met up to and including its value, and missed just above it.
  struct LimitCase {
    long double m0, residual;
    bool m0Met, residualMet;
  };
  const LimitCase cases[] = {
      {0.02L, 0.06L, true, true},  // both equal to their limits
      {0.02L, 0.07L, true, false},
      {std::nextafter(0.02L, 1.0L), 0.06L, false, true},
      {0.02L, std::nextafter(0.06L, 1.0L), true, false},
      {0.01L, 0.03L, true, true},
  };
  for (const LimitCase& c : cases) {
    AccuracyFigures figures;
    figures.m0 = c.m0;
    figures.maxResidual = c.residual;
    const auto checks = CheckLimits({0.02L, 0.06L}, figures);
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_STREQ(checks[0].key, "m0");
    EXPECT_STREQ(checks[1].key, "max_residual");
    EXPECT_EQ(checks[0].met, c.m0Met) << static_cast<double>(c.m0);
    EXPECT_EQ(checks[1].met, c.residualMet) << static_cast<double>(c.residual);
    EXPECT_EQ(AllMet(checks), c.m0Met && c.residualMet);
    EXPECT_TRUE(CheckLimits({}, figures).empty());
  }
}

}  // namespace
