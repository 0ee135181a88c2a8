#include "batch/BatchReport.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/NumberForms.h"
#include "transform/ControlReport.h"
#include "transform/Exclusions.h"
#include "transform/ProjPipeline.h"

namespace {

constexpr std::array<const char*, kMapFileCount> kInputNames = {
    "DZIALKI.edz", "KONTURY.edz", "PUNKTY.ept", "WARSTWY.txt", "OBIEKTY.txt"};

std::optional<std::string> WrittenPath(const WorkingFileTable& files, int slot, bool ran) {
  if (slot == 0 || !ran || !files.SlotFileExists(slot)) return std::nullopt;
  return files.SlotPath(slot);
}

MapFileReport FileReport(const WorkingFileTable& files, MapFile file, const TaskResult& result) {
  const MapFileSlots& slots = SlotsOf(file);
  MapFileReport r;
  r.input = files.SlotPath(slots.input);
  if (result.converted) r.output = files.SlotPath(slots.converted);
  r.protocol = WrittenPath(files, slots.protocol, result.ran);
  r.index = WrittenPath(files, slots.index, result.ran);
  r.converted = result.converted;
  r.records = result.records;
  r.errors = result.errors;
  return r;
}

int ExitStatusOf(const BatchReport& report, const RunResult& run,
                 const std::vector<RunMessage>& messages) {
  if (!run.started) return kExitFolder;
  bool inputProblem = false, writeFailure = false;
  for (const RunMessage& m : messages) {
    inputProblem = inputProblem || IsInputProblem(m.kind);
    writeFailure = writeFailure || m.kind == MessageKind::WriteFailure;
  }
  for (const MapFileReport& f : report.files)
    inputProblem = inputProblem || f.errors > 0;
  if (writeFailure) return kExitWriteFailure;
  if (!run.Fit().Usable()) return kExitNoTransform;
  if (!AllMet(run.Transformation().limitChecks)) return kExitLimits;
  if (inputProblem) return kExitInputProblem;
  return HasSuspectPoints(run.Transformation()) ? kExitSuspect : kExitDone;
}

std::string Number(long double value) {
  return textio::General(value);
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A JSON string: quotes, backslashes and control characters escaped; the text is UTF-8.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      static const char* const kHex = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + '"';
}

std::string QuotedOrNull(const std::optional<std::string>& text) {
  return text ? Quoted(*text) : "null";
}

const char* ExitMeaning(int status) {
  switch (status) {
    case kExitDone:
      return "przetwarzanie zakończone bez problemów";
    case kExitFolder:
      return "nie można użyć folderu roboczego";
    case kExitInputProblem:
      return "przetwarzanie zakończone, zgłoszono problemy w danych wejściowych";
    case kExitNoTransform:
      return "brak transformacji, pliki mapy nie zostały przekształcone";
    case kExitWriteFailure:
      return "nie udało się zapisać pliku wynikowego";
    case kExitSuspect:
      return "punkty podejrzane";
    case kExitLimits:
      return "limity dokładności niespełnione";
  }
  return "";
}

// The points the set's test names, those flagged below it, and the suggested model, for a
// person.
void PrintJudgement(const BatchReport& r, std::ostream& out) {
  std::string suspect, toCheck, excluded;
  for (const PointReport& p : r.points) {
    if (p.suspect && !p.excluded) suspect += " " + p.nr;
    if (p.flagged && !p.suspect && !p.excluded) toCheck += " " + p.nr;
    if (p.excluded) excluded += " " + p.nr;
  }
  if (!excluded.empty()) out << "Wyłączone z dopasowania (Wykluczone.txt):" << excluded << '\n';
  if (!r.points.empty()) {
    out << "Punkty podejrzane (test zbioru: największe T > F_kr,zb";
    if (r.fCriticalSet) out << " = " << textio::Fixed(*r.fCriticalSet, 0, 4);
    out << "):" << (suspect.empty() ? " brak" : suspect) << '\n';
  }
  if (!toCheck.empty()) {
    out << "Do sprawdzenia (T > F_kr";
    if (r.fCritical) out << " = " << textio::Fixed(*r.fCritical, 0, 4);
    out << ", poniżej progu zbioru):" << toCheck << '\n';
  }
  if (!r.limits.empty()) {
    out << "Limity dokładności:";
    for (const LimitCheck& c : r.limits) {
      out << ' ' << c.name << ' ' << textio::Fixed(c.value, 0, 4) << " m wobec "
          << textio::Fixed(c.limit, 0, 4) << " m" << (c.met ? " spełnia;" : " nie spełnia;");
    }
    out << (AllMet(r.limits) ? " wynik: spełnia" : " wynik: nie spełnia") << '\n';
  }
  if (!r.proposal.empty()) {
    out << (r.robustProposal ? "Propozycja wyłączeń (metoda odporna; T, m0 bez nich):"
                             : "Propozycja wyłączeń (kolejno, T, m0 po):");
    for (const ProposalReport& p : r.proposal)
      out << ' ' << p.nr << " (" << textio::Fixed(p.t, 0, 2) << ", "
          << textio::Fixed(p.m0After, 0, 4) << ")";
    out << '\n';
  }
  for (const ModelRow& m : r.models) {
    if (m.suggested) {
      out << "Model sugerowany: " << ModelName(m.kind, m.degree)
          << " (RMS |d| = " << textio::Fixed(m.looRms, 0, 4) << " m); szczegóły w Kontrola.tra\n";
    }
  }
}

}  // namespace

BatchReport CollectReport(const RunResult& run, const std::vector<RunMessage>& later) {
  const ModelChoice& model = run.model;
  const TransformationResult& t = run.Transformation();
  const TFittedTransformation& f = t.FittedTransformation;
  BatchReport report;
  report.folder = run.folder;
  report.kind = model.TransformKind;
  report.degree = model.TransformDegree;
  if (run.started) {
    report.fitted = f.fitted;
    report.usable = f.Usable();
    report.readFailed = f.readFailed;
    report.pointsRead = f.pointsRead;
    if (f.recordsDeclared >= 0) report.recordsDeclared = f.recordsDeclared;
    report.pointsUsed = f.ls;
  }
  if (report.fitted) {
    report.m0 = f.figures.m0;
    if (!f.figures.maxResidualPoint.View().empty()) {
      report.maxResidual.emplace(textio::Cp1250ToUtf8(f.figures.maxResidualPoint.View()),
                                 f.figures.maxResidual);
    }
  }
  for (int k = 0; k < kMapFileCount; ++k) {
    const MapFile file = static_cast<MapFile>(k);
    if (!run.files.SlotFileExists(SlotsOf(file).input)) continue;
    report.files.push_back(FileReport(run.files, file, run.conversion[k]));
  }
  std::vector<RunMessage> messages = run.messages;
  messages.insert(messages.end(), later.begin(), later.end());
  // A damaged map file's control bytes do not reach the JSON as they are.
  for (const RunMessage& m : messages)
    report.messages.push_back(textio::Printable(m.text));
  const auto written = [&](int slot) {
    return run.started && run.files.SlotFileExists(slot) ? std::optional(run.files.SlotPath(slot))
                                                         : std::nullopt;
  };
  const std::string pipeline = textio::PathInFolder(run.folder, kPipelineFileName);
  static_assert(std::size(kReportKeys) == 7);
  report.reports = {
      {kReportKeys[0], written(slot::kReport)},
      {kReportKeys[1], written(slot::kControl)},
      {kReportKeys[2], written(slot::kXy)},
      {kReportKeys[3], written(slot::kXySk)},
      {kReportKeys[4], written(slot::kXySk1)},
      {kReportKeys[5], written(slot::kErrors)},
      {kReportKeys[6], run.started && f.Usable() ? std::optional(pipeline) : std::nullopt}};
  if (run.started) {
    for (const AdjustmentCheck& c : t.checks) {
      report.points.push_back({ShownNumber(c.nr), c.x1, c.y1, c.x2, c.y2, c.vx, c.vy, c.dx, c.dy,
                               c.d, c.m0i, c.predictable, c.flagged, c.excluded, c.h, c.t,
                               c.suspect});
    }
    if (t.testDegrees > 0) report.fCritical = FisherCritical(t.testDegrees);
    if (t.testDegrees > 0 && t.testedPoints > 0) report.fCriticalSet = t.setCritical;
    report.limits = t.limitChecks;
    for (const ProposedExclusion& p : t.Proposal())
      report.proposal.push_back({ShownNumber(p.nr), p.t, p.m0After});
    for (const ProposedExclusion& p : t.snooping)
      report.snooping.push_back({ShownNumber(p.nr), p.t, p.m0After});
    report.robustProposal = t.robustProposal;
    report.models = t.models;
    if (run.geoPackageWritten) report.geoPackage = run.files.SlotPath(slot::kGeoPackage);
    report.comparisonBudget = t.comparisonBudget;
  }
  report.exitStatus = ExitStatusOf(report, run, messages);
  return report;
}

namespace {

// "[a, b]": appended piece by piece (GCC 12 warns falsely on "[" + std::string).
std::string JsonPair(long double a, long double b) {
  std::string text(1, '[');
  text += Number(a);
  text += ", ";
  text += Number(b);
  return text + ']';
}

std::string JsonFolders(const BatchReport& r, int a, int b) {
  std::string text(1, '[');
  text += Quoted(r.seamFolders[a]);
  text += ", ";
  text += Quoted(r.seamFolders[b]);
  return text + ']';
}

// "key": [{"nr": ..., "t": ..., "m0_after": ...}, ...]
void PrintJsonProposal(const char* key, const std::vector<ProposalReport>& proposal,
                       std::ostream& out) {
  out << "  \"" << key << "\": [";
  for (std::size_t k = 0; k < proposal.size(); ++k) {
    const ProposalReport& p = proposal[k];
    out << (k ? ", " : "") << "{\"nr\": " << Quoted(p.nr) << ", \"t\": " << Number(p.t)
        << ", \"m0_after\": " << Number(p.m0After) << "}";
  }
  out << "],\n";
}

void PrintJsonSeams(const BatchReport& r, std::ostream& out) {
  out << "  \"seams\": [";
  for (std::size_t k = 0; k < r.seams.size(); ++k) {
    const Seam& s = r.seams[k];
    out << (k ? ",\n" : "\n") << "    {\"folders\": " << JsonFolders(r, s.a, s.b)
        << ", \"shared\": " << s.shared << ", \"max\": " << Number(s.max)
        << ", \"rms\": " << Number(s.rms) << ", \"over_tolerance\": [";
    for (std::size_t i = 0; i < s.overTolerance.size(); ++i) {
      const SeamVertex& v = s.overTolerance[i];
      out << (i ? ", " : "") << "{\"x\": " << Number(v.x) << ", \"y\": " << Number(v.y)
          << ", \"a\": " << JsonPair(v.aX, v.aY) << ", \"b\": " << JsonPair(v.bX, v.bY)
          << ", \"d\": " << Number(v.d) << "}";
    }
    out << "]}";
  }
  out << (r.seams.empty() ? "],\n" : "\n  ],\n") << "  \"shared_adjustment_points\": [";
  for (std::size_t k = 0; k < r.sharedPoints.size(); ++k) {
    const SharedAdjustmentPoint& p = r.sharedPoints[k];
    out << (k ? ",\n" : "\n") << "    {\"folders\": " << JsonFolders(r, p.a, p.b)
        << ", \"nr\": " << Quoted(ShownNumber(p.nr)) << ", \"d1\": " << JsonPair(p.dx1, p.dy1)
        << ", \"d2\": " << JsonPair(p.dx2, p.dy2)
        << ", \"differs\": " << (p.differs ? "true" : "false") << "}";
  }
  out << (r.sharedPoints.empty() ? "],\n" : "\n  ],\n");
  out << "  \"seam_report\": " << QuotedOrNull(r.seamReport) << ",\n";
}

void PrintJsonJoint(const BatchReport& r, std::ostream& out) {
  out << "  \"joint\": {\"folder\": " << Quoted(*r.jointFolder)
      << ", \"own_m0\": " << (r.ownM0 ? Number(*r.ownM0) : "null") << ", \"parts\": [";
  for (std::size_t k = 0; k < r.jointParts.size(); ++k) {
    const JointPart& p = r.jointParts[k];
    out << (k ? ", " : "") << "{\"folder\": " << Quoted(p.folder) << ", \"records\": " << p.records
        << ", \"added\": " << p.added << ", \"own_m0\": " << (p.ownM0 ? Number(*p.ownM0) : "null")
        << "}";
  }
  out << "]},\n";
}

// What the positions of a file rewritten in place went through.
void PrintJsonPositions(const GisFileResult& g, std::ostream& out) {
  const GisPositionFigures& f = g.figures;
  out << ", \"positions\": " << f.positions << ", \"largest_shift\": " << Number(f.largestShift)
      << ", \"mean_shift\": " << Number(f.meanShift) << ", \"outside_hull\": " << f.outsideHull
      << ", \"largest_rotation\": " << textio::Fixed(f.largestRotation, 0, 9) << ", \"kinds\": [";
  for (std::size_t i = 0; i < g.kinds.size(); ++i) {
    out << (i ? ", " : "") << "{\"name\": " << Quoted(g.kinds[i].name)
        << ", \"objects\": " << g.kinds[i].objects << ", \"positions\": " << g.kinds[i].positions
        << "}";
  }
  out << "]";
}

void PrintJsonGis(const BatchReport& r, std::ostream& out) {
  out << "  \"gis\": [";
  for (std::size_t k = 0; k < r.gis.size(); ++k) {
    const GisFileResult& g = r.gis[k];
    out << (k ? ",\n" : "\n") << "    {\"input\": " << Quoted(g.input)
        << ", \"output\": " << (g.written ? Quoted(g.output) : "null")
        << ", \"protocol\": " << (g.protocolWritten ? Quoted(g.protocol) : "null")
        << ", \"route\": " << Quoted(g.route)
        << ", \"format\": " << (g.driver.empty() ? "null" : Quoted(g.driver))
        << ", \"epsg\": " << (g.epsg ? std::to_string(g.epsg) : "null")
        << ", \"input_crs\": " << (g.inputCrs.empty() ? "null" : Quoted(g.inputCrs))
        << ", \"layers\": [";
    for (std::size_t i = 0; i < g.layers.size(); ++i) {
      out << (i ? ", " : "") << "{\"name\": " << Quoted(g.layers[i].name)
          << ", \"read\": " << g.layers[i].read << ", \"written\": " << g.layers[i].written << "}";
    }
    out << "], \"area_changes\": " << g.areaChanges.size();
    if (g.route == kInPlaceRoute) PrintJsonPositions(g, out);
    out << ", \"problems\": [";
    for (std::size_t i = 0; i < g.problems.size(); ++i)
      out << (i ? ", " : "") << Quoted(g.problems[i]);
    out << "], \"error\": " << (g.error.empty() ? "null" : Quoted(g.error)) << "}";
  }
  out << (r.gis.empty() ? "],\n" : "\n  ],\n");
}

}  // namespace

void PrintText(const BatchReport& r, std::ostream& out) {
  out << "Folder roboczy: " << r.folder << '\n';
  out << "Model: " << ModelName(r.kind, r.degree) << '\n';
  out << "Punkty dostosowania: wczytano " << r.pointsRead << ", użyto " << r.pointsUsed << '\n';
  if (r.m0) {
    out << "Błąd średni jednostkowy m0 = " << textio::Fixed(*r.m0, 0, 4) << " m\n";
  } else {
    out << "Brak transformacji" << (r.readFailed ? " (błąd odczytu TRANSPKT.BIN)" : "") << '\n';
  }
  if (r.maxResidual) {
    out << "Odchyłka maksymalna " << textio::Fixed(r.maxResidual->second, 0, 4) << " m w punkcie "
        << r.maxResidual->first << '\n';
  }
  if (r.fitted && r.readFailed) out << "TRANSPKT.BIN odczytany częściowo: mapy nie przeliczono\n";
  PrintJudgement(r, out);
  for (std::size_t k = 0; k < r.files.size(); ++k) {
    const MapFileReport& f = r.files[k];
    out << "Plik " << f.input << '\n';
    out << "  przekształcony: " << f.output.value_or("nie zapisano") << '\n';
    if (f.protocol) out << "  protokół: " << *f.protocol << '\n';
    if (f.index) out << "  skorowidz: " << *f.index << '\n';
    out << "  rekordów przekształconych: " << f.records << ", zgłoszonych błędów: " << f.errors
        << '\n';
  }
  if (r.files.empty()) out << "Brak plików mapy w folderze roboczym\n";
  if (r.geoPackage) out << "GeoPackage: " << *r.geoPackage << '\n';
  for (const std::string& path : r.staleOutputs)
    out << "Z poprzedniego przebiegu (inna transformacja, pozostawiony): " << path << '\n';
  for (const std::string& path : r.removedOutputs)
    out << "Usunięto plik poprzedniego przebiegu (inna transformacja, bez --full-pipeline): "
        << path << '\n';
  for (const GisFileResult& g : r.gis) {
    out << "Plik GIS " << g.input << '\n';
    out << "  przeliczony: " << (g.written ? g.output : "nie zapisano") << '\n';
    if (g.protocolWritten) out << "  protokół: " << g.protocol << '\n';
  }
  for (const auto& [name, path] : r.reports) {
    if (std::string_view(name) == "pdf" && path) out << "Raport PDF: " << *path << '\n';
  }
  out << "Wynik: " << r.exitStatus << " - " << ExitMeaning(r.exitStatus) << '\n';
}

void PrintJson(const BatchReport& r, std::ostream& out) {
  const auto flag = [](bool b) { return b ? "true" : "false"; };
  out << "{\n  \"folder\": " << Quoted(r.folder) << ",\n";
  out << "  \"model\": {\"kind\": " << r.kind << ", \"degree\": " << r.degree << "},\n";
  out << "  \"transformation\": {\"fitted\": " << flag(r.fitted)
      << ", \"usable\": " << flag(r.usable)
      << ", \"read_failed\": " << (r.readFailed ? "true" : "false")
      << ", \"points_read\": " << r.pointsRead << ", \"records_declared\": "
      << (r.recordsDeclared ? std::to_string(*r.recordsDeclared) : "null")
      << ", \"points_used\": " << r.pointsUsed << ", \"m0\": " << (r.m0 ? Number(*r.m0) : "null")
      << ", \"max_residual\": ";
  if (r.maxResidual) {
    out << "{\"point\": " << Quoted(r.maxResidual->first)
        << ", \"value\": " << Number(r.maxResidual->second) << "}";
  } else {
    out << "null";
  }
  out << "},\n  \"files\": [";
  for (std::size_t k = 0; k < r.files.size(); ++k) {
    const MapFileReport& f = r.files[k];
    out << (k ? ",\n" : "\n") << "    {\"input\": " << Quoted(f.input)
        << ", \"output\": " << QuotedOrNull(f.output)
        << ", \"protocol\": " << QuotedOrNull(f.protocol)
        << ", \"index\": " << QuotedOrNull(f.index)
        << ", \"converted\": " << (f.converted ? "true" : "false") << ", \"records\": " << f.records
        << ", \"errors\": " << f.errors << "}";
  }
  out << (r.files.empty() ? "],\n" : "\n  ],\n") << "  \"messages\": [";
  // The texts keep their blanks in the window and the files; scripts get them trimmed.
  for (std::size_t k = 0; k < r.messages.size(); ++k)
    out << (k ? ", " : "") << Quoted(Trimmed(r.messages[k]));
  out << "],\n  \"adjustment_points\": [";
  for (std::size_t k = 0; k < r.points.size(); ++k) {
    const PointReport& p = r.points[k];
    out << (k ? ",\n" : "\n") << "    {\"nr\": " << Quoted(p.nr);
    for (const auto& [key, value] :
         {std::pair{"x1", p.x1}, {"y1", p.y1}, {"x2", p.x2}, {"y2", p.y2}}) {
      out << ", \"" << key << "\": " << Number(value);
    }
    // A point left out of the fit has no residual.
    for (const auto& [key, value] : {std::pair{"vx", p.vx}, {"vy", p.vy}})
      out << ", \"" << key << "\": " << (p.excluded ? "null" : Number(value));
    for (const auto& [key, value] : {std::pair{"dx", p.dx}, {"dy", p.dy}, {"d", p.d}})
      out << ", \"" << key << "\": " << (p.predictable ? Number(value) : "null");
    out << ", \"m0_i\": " << (p.m0i ? Number(*p.m0i) : "null")
        << ", \"h\": " << (p.h ? Number(*p.h) : "null")
        << ", \"t\": " << (p.t ? Number(*p.t) : "null") << ", \"flagged\": " << flag(p.flagged)
        << ", \"suspect\": " << flag(p.suspect) << ", \"excluded\": " << flag(p.excluded) << "}";
  }
  out << (r.points.empty() ? "],\n" : "\n  ],\n") << "  \"models\": [";
  for (std::size_t k = 0; k < r.models.size(); ++k) {
    const ModelRow& m = r.models[k];
    const bool figures = !m.defective && !m.skipped;
    const auto value = [&](long double v) { return figures ? Number(v) : std::string("null"); };
    out << (k ? ",\n" : "\n") << "    {\"kind\": " << m.kind << ", \"degree\": " << m.degree
        << ", \"unknowns\": " << m.unknowns << ", \"r\": " << m.redundancy
        << ", \"m0\": " << value(m.m0) << ", \"max_residual\": " << value(m.maxResidual)
        << ", \"loo_rms\": " << value(m.looRms) << ", \"loo_max\": " << value(m.looMax)
        << ", \"defective\": " << flag(m.defective) << ", \"skipped\": " << flag(m.skipped)
        << ", \"suggested\": " << flag(m.suggested) << "}";
  }
  out << (r.models.empty() ? "],\n" : "\n  ],\n");
  out << "  \"f_critical\": " << (r.fCritical ? Number(*r.fCritical) : "null") << ",\n";
  out << "  \"f_critical_set\": " << (r.fCriticalSet ? Number(*r.fCriticalSet) : "null") << ",\n";
  out << "  \"limits\": ";
  if (r.limits.empty()) {
    out << "null,\n";
  } else {
    // Both keys always, a limit not given null, so that a script reads the same shape.
    out << "{";
    for (const char* key : {"m0", "max_residual"}) {
      const auto c = std::find_if(r.limits.begin(), r.limits.end(), [&](const LimitCheck& l) {
        return std::string_view(l.key) == key;
      });
      out << Quoted(key) << ": ";
      if (c == r.limits.end()) {
        out << "null, ";
        continue;
      }
      out << "{\"limit\": " << Number(c->limit) << ", \"value\": " << Number(c->value)
          << ", \"met\": " << flag(c->met) << "}, ";
    }
    out << "\"met\": " << flag(AllMet(r.limits)) << "},\n";
  }
  PrintJsonProposal("proposed_exclusions", r.proposal, out);
  out << "  \"proposal_method\": \"" << (r.robustProposal ? "robust" : "data_snooping") << "\",\n";
  PrintJsonProposal("data_snooping_exclusions", r.snooping, out);
  out << "  \"reports\": {";
  for (std::size_t k = 0; k < r.reports.size(); ++k) {
    out << (k ? ", " : "") << "\"" << r.reports[k].first
        << "\": " << QuotedOrNull(r.reports[k].second);
  }
  out << "},\n";
  out << "  \"geopackage\": " << QuotedOrNull(r.geoPackage) << ",\n";
  if (r.seamsSearched) PrintJsonSeams(r, out);
  if (r.jointFolder) PrintJsonJoint(r, out);
  if (r.gisAsked) PrintJsonGis(r, out);
  out << "  \"stale_outputs\": [";
  for (std::size_t k = 0; k < r.staleOutputs.size(); ++k)
    out << (k ? ", " : "") << Quoted(r.staleOutputs[k]);
  out << "],\n";
  if (!r.removedOutputs.empty()) {
    out << "  \"removed_outputs\": [";
    for (std::size_t k = 0; k < r.removedOutputs.size(); ++k)
      out << (k ? ", " : "") << Quoted(r.removedOutputs[k]);
    out << "],\n";
  }
  if (r.fullPipelineAsked) {
    out << "  \"full_pipeline\": {\"pipeline\": " << QuotedOrNull(r.fullPipelineFile)
        << ", \"tin\": " << QuotedOrNull(r.tinFile) << ", \"vertices\": " << r.tinVertices
        << ", \"triangles\": " << r.tinTriangles << ", \"largest_difference\": "
        << (r.tinLargestDifference ? Number(*r.tinLargestDifference) : "null") << "},\n";
  }
  out << "  \"exit_status\": " << r.exitStatus << "\n}\n";
}

int Seriousness(int status) {
  switch (status) {
    case kExitWriteFailure:
      return 6;
    case kExitNoTransform:
      return 5;
    case kExitFolder:
      return 4;
    case kExitLimits:
      return 3;
    case kExitSuspect:
      return 2;
    case kExitInputProblem:
      return 1;
  }
  return 0;
}

void AddSeams(const SeamFindings& findings, const std::vector<std::string>& folders, int index,
              BatchReport& report) {
  report.seamsSearched = true;
  report.seamFolders = folders;
  bool over = false;
  for (const Seam& seam : findings.seams) {
    if (seam.a != index && seam.b != index) continue;
    report.seams.push_back(seam);
    over = over || !seam.overTolerance.empty();
  }
  for (const SharedAdjustmentPoint& p : findings.adjustmentPoints) {
    if (p.a == index || p.b == index) report.sharedPoints.push_back(p);
  }
  if (over && Seriousness(kExitSuspect) > Seriousness(report.exitStatus)) {
    report.exitStatus = kExitSuspect;
  }
}

void PrintSeamTable(const SeamFindings& findings, const std::vector<std::string>& folders,
                    long double tolerance, const std::optional<std::string>& path,
                    std::ostream& out) {
  out << "\nSzwy między folderami (tolerancja " << textio::Fixed(tolerance, 0, 3)
      << " m): " << path.value_or("raportu nie zapisano") << '\n';
  if (findings.seams.empty()) out << "brak wspólnych wierzchołków mapy\n";
  if (!findings.seams.empty()) out << "  wspólne     max [m]     RMS [m]   ponad  foldery\n";
  for (const Seam& seam : findings.seams) {
    char line[96];
    std::snprintf(line, sizeof line, "%9lld  %10s  %10s  %6zu  ",
                  static_cast<long long>(seam.shared), textio::Fixed(seam.max, 0, 4).c_str(),
                  textio::Fixed(seam.rms, 0, 4).c_str(), seam.overTolerance.size());
    out << line << folders[seam.a] << " | " << folders[seam.b] << '\n';
  }
  for (const SharedAdjustmentPoint& p : findings.adjustmentPoints) {
    if (!p.differs) continue;
    out << "błąd danych: punkt " << ShownNumber(p.nr) << " ma różne współrzędne w folderach "
        << folders[p.a] << " i " << folders[p.b] << '\n';
  }
}

void PrintSummaryLine(const BatchReport& r, std::ostream& out) {
  out << r.folder << ": " << r.exitStatus << " - " << ExitMeaning(r.exitStatus);
  if (r.m0) out << ", m0 = " << textio::Fixed(*r.m0, 0, 4) << " m";
  out << '\n';
}

void PrintClosingTable(const std::vector<BatchReport>& reports, std::ostream& out) {
  out << "\nFolderów: " << reports.size() << "\n";
  out << "kod  punkty      m0 [m]  rekordy  błędy  folder\n";
  for (const BatchReport& r : reports) {
    int records = 0, errors = 0;
    for (const MapFileReport& f : r.files) {
      records += f.records;
      errors += f.errors;
    }
    const std::string m0 = r.m0 ? textio::Fixed(*r.m0, 0, 4) : "-";
    char line[64];
    std::snprintf(line, sizeof line, "%3d  %6d  %10s  %7d  %5d  ", r.exitStatus, r.pointsUsed,
                  m0.c_str(), records, errors);
    out << line << r.folder << '\n';
  }
}

void PrintJsonArray(const std::vector<BatchReport>& reports, std::ostream& out) {
  out << "[";
  for (std::size_t k = 0; k < reports.size(); ++k) {
    std::ostringstream object;
    PrintJson(reports[k], object);
    std::string text = object.str();
    text.pop_back();  // the object's closing line end
    out << (k ? ",\n" : "\n") << text;
  }
  out << (reports.empty() ? "]\n" : "\n]\n");
}

void PrintJsonRefusal(int status, const std::vector<std::string>& lines, std::ostream& out) {
  out << "{\n  \"messages\": [";
  for (std::size_t k = 0; k < lines.size(); ++k)
    out << (k ? ", " : "") << Quoted(lines[k]);
  out << "],\n  \"exit_status\": " << status << "\n}\n";
}
