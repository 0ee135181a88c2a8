#include "tools/AdjustmentLists.h"

#include <map>

#include "textio/NumberReading.h"
#include "textio/TextFile.h"

bool ReadAdjustmentList(const std::string& path, TPktDostosowania& points, bool secondary,
                        std::ostream& err) {
  textio::TextFileReader reader;
  if (!reader.Open(path)) {
    err << path << ": nie można otworzyć pliku\n";
    return false;
  }
  std::string line;
  for (int number = 1; reader.ReadLine(line); ++number) {
    std::size_t pos = 0;
    if (!textio::SkipBlanks(line, pos)) continue;
    const std::size_t start = pos;
    while (pos < line.size() && static_cast<unsigned char>(line[pos]) > ' ')
      ++pos;
    TPkt p;
    p.Nr = line.substr(start, pos - start);
    long double x = 0, y = 0;
    const bool numbers = textio::ReadNumber(line, pos, x) && textio::ReadNumber(line, pos, y);
    if (!numbers || textio::SkipBlanks(line, pos)) {
      err << path << ":" << number << ": oczekiwano \"numer x y\"\n";
      return false;
    }
    (secondary ? p.x2 : p.x1) = x;
    (secondary ? p.y2 : p.y1) = y;
    points.push_back(p);
  }
  return true;
}

int MakeTransPkt(const std::string& xy1, const std::string& xy2, const std::string& output,
                 std::ostream& err) {
  TPktDostosowania primary, secondary;
  if (!ReadAdjustmentList(xy1, primary, false, err) ||
      !ReadAdjustmentList(xy2, secondary, true, err)) {
    return 1;
  }
  // A number repeated in xy1 pairs every time; TRANSPKT.BIN keeps the repetition, and the
  // transformation reports it.
  std::map<std::string, std::size_t> byNumber;
  for (std::size_t i = 0; i < secondary.size(); ++i)
    byNumber.emplace(secondary[i].Nr, i);
  std::vector<bool> paired(secondary.size(), false);
  TPktDostosowania records;
  for (const TPkt& p : primary) {
    const auto it = byNumber.find(p.Nr);
    if (it == byNumber.end()) {
      err << "punkt " << p.Nr << " z " << xy1 << " nie ma pary w " << xy2 << "\n";
      continue;
    }
    TPkt record = p;
    record.x2 = secondary[it->second].x2;
    record.y2 = secondary[it->second].y2;
    records.push_back(record);
    paired[it->second] = true;
  }
  for (std::size_t i = 0; i < secondary.size(); ++i) {
    if (!paired[i])
      err << "punkt " << secondary[i].Nr << " z " << xy2 << " nie ma pary w " << xy1 << "\n";
  }
  if (records.size() > static_cast<std::size_t>(kMaxAdjustmentRecords)) {
    err << output << ": więcej niż " << kMaxAdjustmentRecords << " punktów\n";
    return 1;
  }
  if (!WriteTransPktBIN(output, "ZORNAK_edz", 0, 0, records)) {
    err << output << ": nie można zapisać pliku\n";
    return 1;
  }
  return 0;
}
