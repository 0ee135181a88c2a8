#include "county/SeamReport.h"

#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/TextFile.h"
#include "transform/Exclusions.h"

namespace {

using textio::AppendFixed;
using textio::AppendInteger;

const char* const kRule =
    " ________________________________________________________________________________________";

void SeamLines(const Seam& seam, long double tolerance, std::vector<std::string>& lines) {
  std::string line = " Foldery ";
  AppendInteger(line, seam.a + 1);
  line += " i ";
  AppendInteger(line, seam.b + 1);
  line += ": wspólnych wierzchołków ";
  AppendInteger(line, seam.shared);
  line += ", max ";
  AppendFixed(line, seam.max, 0, 4);
  line += " m, RMS ";
  AppendFixed(line, seam.rms, 0, 4);
  line += " m, ponad tolerancję ";
  AppendInteger(line, static_cast<std::int64_t>(seam.overTolerance.size()));
  lines.push_back(line);
  if (seam.overTolerance.empty()) {
    line = " Wszystkie wspólne wierzchołki w tolerancji ";
    AppendFixed(line, tolerance, 0, 3);
    lines.push_back(line + " m");
    return;
  }
  const std::string a = std::to_string(seam.a + 1), b = std::to_string(seam.b + 1);
  std::string head;
  for (const std::string& title : {std::string("x"), std::string("y"), "X (" + a + ")",
                                   "Y (" + a + ")", "X (" + b + ")", "Y (" + b + ")"}) {
    textio::AppendRight(head, title, 15);
  }
  textio::AppendRight(head, "d [m]", 10);
  lines.push_back(head);
  for (const SeamVertex& v : seam.overTolerance) {
    line.clear();
    for (long double c : {v.x, v.y, v.aX, v.aY, v.bX, v.bY})
      AppendFixed(line, c, 15, 3);
    AppendFixed(line, v.d, 10, 4);
    lines.push_back(line);
  }
}

void AdjustmentPointLines(const std::vector<SharedAdjustmentPoint>& points,
                          std::vector<std::string>& lines) {
  lines.push_back(" WSPÓLNE PUNKTY DOSTOSOWANIA (różnice współrzędnych: drugi folder - pierwszy)");
  if (points.empty()) {
    lines.push_back(" Brak punktów dostosowania o wspólnych numerach");
    return;
  }
  lines.push_back(" folder folder  Nr                   dx1       dy1       dx2       dy2");
  for (const SharedAdjustmentPoint& p : points) {
    std::string line;
    AppendInteger(line, p.a + 1, 7);
    AppendInteger(line, p.b + 1, 7);
    line += "  ";
    std::string nr = ShownNumber(p.nr);
    nr.resize(std::max<std::size_t>(nr.size(), 16), ' ');
    line += nr;
    for (long double d : {p.dx1, p.dy1, p.dx2, p.dy2})
      AppendFixed(line, d, 10, 3);
    if (p.differs) line += "  *** BŁĄD DANYCH: różne współrzędne tego samego punktu";
    lines.push_back(line);
  }
}

}  // namespace

std::vector<std::string> SeamReportLines(const SeamFindings& findings,
                                         const std::vector<std::string>& folders,
                                         long double tolerance) {
  std::vector<std::string> lines;
  lines.push_back(" SZWY MIĘDZY FOLDERAMI ROBOCZYMI");
  std::string line = " Folderów: ";
  AppendInteger(line, static_cast<std::int64_t>(folders.size()));
  line += ", wierzchołków mapy: ";
  AppendInteger(line, findings.positions);
  line += ", tolerancja: ";
  AppendFixed(line, tolerance, 0, 3);
  lines.push_back(line + " m");
  lines.push_back(" ");
  for (std::size_t f = 0; f < folders.size(); ++f) {
    line.clear();
    AppendInteger(line, static_cast<std::int64_t>(f + 1), 4);
    lines.push_back(line + "  " + folders[f]);
  }
  lines.push_back(kRule);
  if (findings.seams.empty()) lines.push_back(" Foldery nie mają wspólnych wierzchołków mapy");
  for (const Seam& seam : findings.seams) {
    SeamLines(seam, tolerance, lines);
    lines.push_back(" ");
  }
  lines.push_back(kRule);
  AdjustmentPointLines(findings.adjustmentPoints, lines);
  return lines;
}

bool WriteSeamReport(const std::string& path, const SeamFindings& findings,
                     const std::vector<std::string>& folders, long double tolerance,
                     std::string& failure) {
  textio::TextFileWriter file;
  file.Create(path);
  for (const std::string& line : SeamReportLines(findings, folders, tolerance))
    file.WriteUtf8Line(line);
  if (file.Close()) return true;
  failure = file.FailureText();
  return false;
}
