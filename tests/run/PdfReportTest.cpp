// The PDF report of zornak_batch --pdf, read back with poppler's pdftotext, pdfinfo and
// pdfimages as a reader of the documentation would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <sstream>

#include "batch/BatchRun.h"
#include "bench/BlunderSets.h"
#include "bench/CountyGenerator.h"
#include "tests/BatchCall.h"
#include "tests/TestFolder.h"
#include "textio/Cp1250.h"

namespace {

#if !defined(ZORNAK_WITH_REPORT) || defined(_WIN32)
// On Windows the report is read back under Wine by the Windows test script instead: there
// are no poppler tools inside Wine.
TEST(PdfReport, NotBuilt) {
  GTEST_SKIP() << "no report plugin, or no PDF reader in this system";
}
#else

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

std::string PageText(const std::string& pdf, int page) {
  const std::string p = std::to_string(page);
  return CommandOutput("pdftotext -layout -f " + p + " -l " + p + " " + Quoted(pdf) + " -");
}

int Pages(const std::string& pdf) {
  const std::string info = CommandOutput("pdfinfo " + Quoted(pdf));
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

// The words of each line of `text`.
std::vector<std::vector<std::string> > Rows(const std::string& text) {
  std::vector<std::vector<std::string> > rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    rows.emplace_back();
    for (std::string word; words >> word;)
      rows.back().push_back(word);
  }
  return rows;
}

bool IsNumber(const std::string& word) {
  return !word.empty() && word.find_first_not_of("-0123456789.") == std::string::npos;
}

int RunWithReport(const TestFolder& folder, std::string& out) {
  const std::string pdf = folder.File("Raport.pdf");
  std::vector<const char*> argv = {"zornak_batch", "--json", "--pdf", pdf.c_str(),
                                   folder.Path().c_str()};
  std::ostringstream o, e;
  const int status = RunBatch(static_cast<int>(argv.size()), argv.data(), o, e);
  out = o.str();
  return status;
}

// m0 as Protokol.tra prints it, the figures after "m0 =".
std::string ProtocolM0(const TestFolder& folder) {
  for (const std::string& line : Utf8Lines(folder.Read("Protokol.tra"))) {
    const std::size_t at = line.find("jednostkowy m0 =");
    if (at == std::string::npos) continue;
    std::string value = line.substr(at + 16);
    value.erase(0, value.find_first_not_of(' '));
    return value;
  }
  return "?";
}

// Point numbers P1..Pn over 3 km, a Helmert shift plus 1 cm of noise.
TPktDostosowania NoisyPoints(int count) {
  std::mt19937 random(20261208);
  std::uniform_real_distribution<long double> spread(0, 3000);
  std::normal_distribution<long double> error(0, 0.01L);
  TPktDostosowania points;
  for (int i = 1; i <= count; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    points.push_back(
        {"P" + std::to_string(i), x, y, x + 0.21L + error(random), y - 0.17L + error(random)});
  }
  return points;
}

// Pages: the summary, the point table at 50 rows a page, the other tables, the map.
int ExpectedPages(int points) {
  return 1 + (points + 49) / 50 + 1 + 1;
}

TEST(PdfReport, DemoHoldsTheProtocolsM0EveryPointAndAVectorMap) {
  TestFolder folder;
  folder.CopyDemo();
  std::string json;
  ASSERT_EQ(RunWithReport(folder, json), 0) << json;
  const std::string pdf = folder.File("Raport.pdf");
  EXPECT_NE(json.find("\"pdf\": \"" + pdf + "\""), std::string::npos) << json;
  ASSERT_EQ(Pages(pdf), ExpectedPages(36));
  const std::string first = PageText(pdf, 1);
  EXPECT_NE(first.find("m0 = " + ProtocolM0(folder) + " m"), std::string::npos) << first;
  EXPECT_NE(first.find("F_kr = 7.6839"), std::string::npos);
  // One decimal separator in the whole report, the point of the protocols.
  EXPECT_NE(first.find("F(0.999; 2, r − 2)"), std::string::npos) << first;
  EXPECT_EQ(first.find("0,999"), std::string::npos);
  EXPECT_EQ(first.find("0,001"), std::string::npos);
  EXPECT_NE(first.find("PD-136"), std::string::npos);  // the largest residual's point
  const std::string table = PageText(pdf, 2);
  for (const char* nr : {"PD-101", "102", "115", "PD-126", "135", "PD-136"})
    EXPECT_NE(table.find(nr), std::string::npos) << nr;
  EXPECT_NE(PageText(pdf, 3).find("Porównanie modeli"), std::string::npos);
  const std::string map = PageText(pdf, 4);
  EXPECT_NE(map.find("Legenda"), std::string::npos);
  // The map is drawn, not pasted: the document holds no image at all.
  const std::string images = CommandOutput("pdfimages -list " + Quoted(pdf));
  EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << images;  // the header only
  EXPECT_NE(CommandOutput("pdffonts " + Quoted(pdf)).find(" yes "), std::string::npos);  // embedded
}

TEST(PdfReport, FiveHundredPointsBreakBetweenRowsWithTheHeaderOnEveryPage) {
  TestFolder folder;
  folder.WriteAdjustmentPoints(NoisyPoints(500));
  std::string json;
  RunWithReport(folder, json);
  const std::string pdf = folder.File("Raport.pdf");
  ASSERT_EQ(Pages(pdf), ExpectedPages(500));
  std::map<std::string, int> seen;
  for (int page = 2; page <= 11; ++page) {
    const std::string text = PageText(pdf, page);
    EXPECT_NE(text.find("Nr "), std::string::npos) << page;
    EXPECT_NE(text.find("Uwagi"), std::string::npos) << page;
    // A row whole on its line: the number, then vx, vy, |v|, |d|, h and T.
    for (const std::vector<std::string>& row : Rows(text)) {
      if (row.size() >= 7 && row[0][0] == 'P' &&
          std::all_of(row.begin() + 1, row.begin() + 7, IsNumber))
        ++seen[row[0]];
    }
  }
  for (int i = 1; i <= 500; ++i)
    EXPECT_EQ(seen["P" + std::to_string(i)], 1) << "P" << i;
}

// The lowest word of a page's body and the top of its footer line, from pdftotext's boxes
// (points from the top of the page).
struct PageBottom {
  double body = 0, footer = 1e9;
};

PageBottom Bottom(const std::string& pdf, int page) {
  const std::string p = std::to_string(page);
  const std::string boxes =
      CommandOutput("pdftotext -bbox -f " + p + " -l " + p + " " + Quoted(pdf) + " -");
  struct Word {
    double top, bottom;
    std::string text;
  };
  std::vector<Word> words;
  std::istringstream lines(boxes);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("<word ") == std::string::npos) continue;
    const auto value = [&](const char* name) {
      const std::size_t v = line.find(std::string(name) + "=\"");
      return v == std::string::npos ? 0.0 : std::atof(line.c_str() + v + std::strlen(name) + 2);
    };
    const std::size_t open = line.find('>') + 1;
    words.push_back({value("yMin"), value("yMax"), line.substr(open, line.find('<', open) - open)});
  }
  PageBottom bottom;
  // The footer is the line of "strona", the lowest on the page.
  for (const Word& w : words) {
    if (w.text == "strona")
      bottom.footer = std::max(w.top, bottom.footer > 1e8 ? 0 : bottom.footer);
  }
  for (const Word& w : words) {
    if (w.top < bottom.footer - 1) bottom.body = std::max(bottom.body, w.bottom);
  }
  return bottom;
}

// A table longer than a page without a fixed row count (the control points, 160 of them)
// breaks where the next row would not fit: no row runs into the footer, each page of the
// table repeats its header, and every row stands whole exactly once. The point table still
// breaks every 50 rows.
TEST(PdfReport, LongTablesBreakBeforeTheFooterWithTheirHeaders) {
  TestFolder folder;
  folder.WriteAdjustmentPoints(NoisyPoints(320));
  std::string excluded;
  for (int i = 1; i <= 320; i += 2)
    excluded += "P" + std::to_string(i) + "\r\n";
  folder.Write("Wykluczone.txt", excluded);
  std::string json;
  RunWithReport(folder, json);
  const std::string pdf = folder.File("Raport.pdf");
  const int pages = Pages(pdf);
  ASSERT_GT(pages, 10);
  std::map<std::string, int> control;
  int controlPages = 0;
  for (int page = 1; page <= pages; ++page) {
    const PageBottom bottom = Bottom(pdf, page);
    // The body ends where a row may end: a line (9.9 pt of DejaVu Sans 8.5) above the footer.
    EXPECT_LT(bottom.body, bottom.footer - 9.0) << "page " << page;
    const std::string text = PageText(pdf, page);
    const std::vector<std::vector<std::string> > rows = Rows(text);
    // Point table pages: 50 rows each, the last one the rest (320 rows: 6 pages, 20 left);
    // an excluded point's row holds its control |d| and no residual.
    int pointRows = 0;
    for (const std::vector<std::string>& row : rows)
      pointRows += row.size() >= 2 && row[0][0] == 'P' && IsNumber(row[1]) ? 1 : 0;
    const bool controlPage = text.find("dx przed") != std::string::npos;
    if (page >= 2 && page <= 8) {
      EXPECT_EQ(pointRows, page < 8 ? 50 : 20) << "page " << page;
    }
    if (!controlPage) continue;
    ++controlPages;
    for (const std::vector<std::string>& row : rows) {
      if (row.size() == 7 && row[0][0] == 'P' && std::all_of(row.begin() + 1, row.end(), IsNumber))
        ++control[row[0]];
    }
  }
  EXPECT_GE(controlPages, 3);
  ASSERT_EQ(control.size(), 160u);
  for (int i = 1; i <= 320; i += 2)
    EXPECT_EQ(control["P" + std::to_string(i)], 1) << "P" << i;
}

// A joint fit's report, in its own folder, names each folder's own m0 beside the joint one,
// as their separate runs' protocols print them.
TEST(PdfReport, AJointFitNamesEachFoldersOwnM0) {
  TestFolder root;
  CountyShape shape;
  shape.rows = 1;
  shape.parcelsPerSide = 4;
  const std::vector<std::string> folders = WriteCounty(root.Path(), shape);
  std::vector<std::string> own;
  for (const std::string& folder : folders) {
    std::vector<const char*> argv = {"zornak_batch", folder.c_str()};
    std::ostringstream o, e;
    ASSERT_EQ(RunBatch(2, argv.data(), o, e), 0) << e.str();
    for (const std::string& line : Utf8Lines(ReadFile(folder + "/Protokol.tra"))) {
      const std::size_t at = line.find("jednostkowy m0 =");
      if (at != std::string::npos) own.push_back(line.substr(line.find_first_not_of(' ', at + 16)));
    }
  }
  ASSERT_EQ(own.size(), 2u);
  const std::string joint = root.File("razem"), pdf = root.File("razem/Raport.pdf");
  std::vector<const char*> argv = {"zornak_batch", "--joint",          joint.c_str(),     "--pdf",
                                   pdf.c_str(),    folders[0].c_str(), folders[1].c_str()};
  std::ostringstream o, e;
  ASSERT_EQ(RunBatch(static_cast<int>(argv.size()), argv.data(), o, e), 0) << e.str();
  std::string first = PageText(pdf, 1);
  first.erase(std::remove(first.begin(), first.end(), '\n'), first.end());
  EXPECT_NE(first.find("Transformacja wspólna 2 folderów"), std::string::npos) << first;
  for (const std::string& m0 : own)
    EXPECT_NE(first.find("m0 własne " + m0 + " m"), std::string::npos) << m0 << "\n" << first;
}

TEST(PdfReport, AFolderWithoutAFitSaysSo) {
  TestFolder folder;
  folder.Write("DZIALKI.edz", "");
  std::string json;
  RunWithReport(folder, json);
  const std::string pdf = folder.File("Raport.pdf");
  ASSERT_EQ(Pages(pdf), 1);
  const std::string text = PageText(pdf, 1);
  EXPECT_NE(text.find("Brak"), std::string::npos) << text;
  EXPECT_EQ(text.find("m0 ="), std::string::npos);
}

// Six blunders that hide one another: the proposal section names the robust method, its
// points, and data snooping's (empty) search beside it.
TEST(PdfReport, TheRobustProposalIsNamedBesideDataSnooping) {
  const BlunderSet set = MaskedBlunderSet();
  TestFolder folder;
  folder.WriteAdjustmentPoints(set.points);
  std::string json;
  RunWithReport(folder, json);
  const std::string pdf = folder.File("Raport.pdf");
  std::string text;
  for (int page = 1; page <= Pages(pdf); ++page)
    text += PageText(pdf, page);
  const std::size_t section = text.find("Propozycja wyłączeń (metoda odporna)");
  ASSERT_NE(section, std::string::npos) << text;
  const std::size_t beside = text.find("Wyszukiwanie kolejno (dla porównania)", section);
  ASSERT_NE(beside, std::string::npos) << text;
  for (const std::string& nr : set.moved)
    EXPECT_LT(text.find(nr, section), beside) << nr;
  EXPECT_NE(text.find("brak: żaden punkt nie przekracza F_kr,zb", beside), std::string::npos);
}

// The report records its fit in its XMP metadata, as pdfinfo shows it; a later run of
// another fit names it and leaves it alone, and the same fit again does not.
TEST(PdfReport, RecordsItsFitSoThatARunOfAnotherFitNamesIt) {
  TestFolder folder;
  folder.CopyDemo();
  std::string json;
  ASSERT_EQ(RunWithReport(folder, json), 0) << json;
  const std::string pdf = folder.File("Raport.pdf");
  const std::string meta = CommandOutput("pdfinfo -meta " + Quoted(pdf));
  EXPECT_NE(meta.find("<zornak:dopasowanie>konforemna 1, m0 0.020"), std::string::npos) << meta;
  const std::string before = folder.Read("Raport.pdf");
  const std::string listed = "\"stale_outputs\": [\"" + pdf + "\"]";
  const BatchResult other = Batch({"--json", "--kind", "2", "--degree", "2", folder.Path()});
  EXPECT_NE(other.out.find(listed), std::string::npos) << other.out;
  EXPECT_EQ(folder.Read("Raport.pdf"), before);
  const BatchResult same = Batch({"--json", folder.Path()});
  EXPECT_NE(same.out.find("\"stale_outputs\": []"), std::string::npos) << same.out;
}
#endif

}  // namespace
