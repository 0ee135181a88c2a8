#include "transform/QgisPoints.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "textio/NumberForms.h"
#include "textio/NumberReading.h"
#include "textio/Platform.h"
#include "textio/TextFile.h"
#include "transform/Exclusions.h"
#include "transform/PointCheck.h"

namespace {

std::vector<std::string_view> Split(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  for (std::size_t from = 0;;) {
    const std::size_t at = line.find(separator, from);
    std::string_view field =
        line.substr(from, at == std::string_view::npos ? line.npos : at - from);
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t'))
      field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t' || field.back() == '\r'))
      field.remove_suffix(1);
    fields.push_back(field);
    if (at == std::string_view::npos) return fields;
    from = at + 1;
  }
}

// The columns a file names, by their header.
struct Columns {
  int mapX = -1, mapY = -1, sourceX = -1, sourceY = -1, enable = -1;
  char separator = ',';
};

Columns HeaderColumns(std::string_view header) {
  Columns c;
  c.separator = header.find('\t') != std::string_view::npos ? '\t' : ',';
  const std::vector<std::string_view> names = Split(header, c.separator);
  for (int k = 0; k < static_cast<int>(names.size()); ++k) {
    const std::string_view n = names[k];
    if (n == "mapX") c.mapX = k;
    if (n == "mapY") c.mapY = k;
    if (n == "sourceX" || n == "pixelX") c.sourceX = k;
    if (n == "sourceY" || n == "pixelY") c.sourceY = k;
    if (n == "enable") c.enable = k;
  }
  return c;
}

std::string LineProblem(int line, const std::string& text) {
  return "wiersz " + std::to_string(line) + ": " + text;
}

}  // namespace

QgisPoints ParseQgisPoints(std::string_view text) {
  QgisPoints result;
  std::vector<std::string_view> lines;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t at = text.find('\n', from);
    lines.push_back(text.substr(from, at == std::string_view::npos ? text.npos : at - from));
    from = at == std::string_view::npos ? text.size() : at + 1;
  }
  std::size_t k = 0;
  if (k < lines.size() && lines[k].rfind("#CRS:", 0) == 0) ++k;
  if (k >= lines.size()) {
    result.problems.push_back("brak wiersza nagłówka (mapX, mapY, sourceX, sourceY, enable)");
    return result;
  }
  const Columns c = HeaderColumns(lines[k]);
  if (c.mapX < 0 || c.mapY < 0 || c.sourceX < 0 || c.sourceY < 0) {
    result.problems.push_back(
        LineProblem(static_cast<int>(k + 1), "nagłówek bez kolumn mapX, mapY, sourceX, sourceY"));
    return result;
  }
  const int needed = std::max({c.mapX, c.mapY, c.sourceX, c.sourceY, c.enable});
  for (++k; k < lines.size(); ++k) {
    const int line = static_cast<int>(k + 1);
    const std::vector<std::string_view> f = Split(lines[k], c.separator);
    if (f.size() == 1 && f[0].empty()) continue;  // a blank line
    if (static_cast<int>(f.size()) <= needed) {
      result.problems.push_back(LineProblem(line, "za mało kolumn"));
      continue;
    }
    long double mapX = 0, mapY = 0, sourceX = 0, sourceY = 0;
    const bool numbers = textio::ParseNumber(f[c.mapX], mapX) &&
                         textio::ParseNumber(f[c.mapY], mapY) &&
                         textio::ParseNumber(f[c.sourceX], sourceX) &&
                         textio::ParseNumber(f[c.sourceY], sourceY) && std::isfinite(mapX) &&
                         std::isfinite(mapY) && std::isfinite(sourceX) && std::isfinite(sourceY);
    const std::string_view enable = c.enable >= 0 ? f[c.enable] : std::string_view("1");
    if (!numbers) {
      result.problems.push_back(LineProblem(line, "współrzędna nie jest liczbą"));
      continue;
    }
    if (enable != "0" && enable != "1") {
      result.problems.push_back(LineProblem(line, "enable nie jest 0 ani 1"));
      continue;
    }
    const std::string nr = std::to_string(result.points.size() + 1);
    result.points.push_back({nr, sourceY, sourceX, mapY, mapX});
    if (enable == "0") result.disabled.push_back(nr);
  }
  if (result.points.empty() && result.problems.empty())
    result.problems.push_back("plik nie zawiera żadnego punktu");
  if (static_cast<std::int64_t>(result.points.size()) > kMaxAdjustmentRecords)
    result.problems.push_back("więcej punktów, niż mieści TRANSPKT.BIN");
  return result;
}

int ImportQgisPoints(const std::string& path, const std::string& transpkt, std::ostream& out,
                     std::ostream& err) {
  std::ifstream in(textio::PathFromUtf8(path), std::ios::binary);
  if (!in) {
    err << "nie można odczytać pliku " << path << "\n";
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const QgisPoints points = ParseQgisPoints(text);
  if (!points.problems.empty()) {
    for (const std::string& p : points.problems)
      err << path << ": " << p << "\n";
    return 3;
  }
  std::string failure;
  if (!WriteTransPktBIN(transpkt, "ZORNAK_edz", 0, 0, points.points, failure)) {
    err << "nie można zapisać pliku " << failure << "\n";
    return 1;
  }
  std::string exclusions;
  for (const std::string& nr : points.disabled)
    exclusions += nr + "\r\n";
  const std::filesystem::path beside =
      textio::PathFromUtf8(transpkt).parent_path() / kExclusionFileName;
  if (!textio::WriteFileAtomically(textio::Utf8FromPath(beside), exclusions, failure)) {
    err << "nie można zapisać pliku " << failure << "\n";
    return 1;
  }
  out << "zapisano " << points.points.size() << " punktów do " << transpkt << ", wyłączonych "
      << points.disabled.size() << " w " << textio::Utf8FromPath(beside) << "\n";
  return 0;
}

std::string QgisPointsText(const TransformationResult& result) {
  std::string text = "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
  if (!result.input) return text;
  for (const TPkt& p : result.input->points) {
    const PointNumber number(p.Nr);
    const auto check = std::find_if(result.checks.begin(), result.checks.end(),
                                    [&](const AdjustmentCheck& c) { return c.nr == number; });
    long double dx = 0, dy = 0;  // northing, easting
    bool excluded = false;
    if (check != result.checks.end()) {
      excluded = check->excluded;
      dx = excluded ? check->dx : check->vx;
      dy = excluded ? check->dy : check->vy;
    }
    text += textio::Shortest(p.y2) + "," + textio::Shortest(p.x2) + "," + textio::Shortest(p.y1) +
            "," + textio::Shortest(p.x1);
    text += excluded ? ",0," : ",1,";
    text += textio::Shortest(dy) + "," + textio::Shortest(dx) + "," +
            textio::Shortest(std::hypot(dx, dy)) + "\n";
  }
  return text;
}
