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

namespace {

// Names every number that stands more than once in `points` of the list `path`.
void WarnOfRepeats(const TPktDostosowania& points, const std::string& path, const char* effect,
                   std::ostream& err) {
  std::map<std::string, int> seen;
  for (const TPkt& p : points) {
    if (++seen[p.Nr] == 2) err << "uwaga: numer " << p.Nr << " powtarza się w " << path << effect;
  }
}

}  // namespace

int MakeTransPkt(const std::string& xy1, const std::string& xy2, const std::string& output,
                 std::ostream& out, std::ostream& err) {
  TPktDostosowania primary, secondary;
  if (!ReadAdjustmentList(xy1, primary, false, err) ||
      !ReadAdjustmentList(xy2, secondary, true, err)) {
    return 1;
  }
  WarnOfRepeats(primary, xy1,
                ": każde wystąpienie trafi do TRANSPKT.BIN, transformacja je zgłosi\n", err);
  WarnOfRepeats(secondary, xy2, ": do pary wzięto pierwsze wystąpienie\n", err);
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
  std::string failure;
  if (!WriteTransPktBIN(output, "ZORNAK_edz", 0, 0, records, failure)) {
    err << "nie można zapisać pliku " << failure << "\n";
    return 1;
  }
  out << "zapisano " << records.size() << " punktów do " << output << "\n";
  return 0;
}
