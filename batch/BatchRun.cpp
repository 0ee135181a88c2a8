#include "batch/BatchRun.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/BatchReport.h"
#include "batch/ConsoleWindow.h"
#include "cli/CommandLine.h"
#include "county/CountyRun.h"
#include "county/SeamReport.h"
#include "run/GeoPackageLoader.h"
#include "run/GisRoute.h"
#include "run/ReportLoader.h"
#include "run/RunProcessing.h"
#include "run/StaleOutputs.h"
#include "textio/FolderFiles.h"
#include "textio/Platform.h"
#include "transform/QgisPoints.h"

namespace {

constexpr const char* kDescription =
    "Wykonuje transformację z korektą Hausbrandta w folderach roboczych FOLDER\n"
    "(domyślnie w bieżącym): czyta TRANSPKT.BIN, zapisuje Protokol.tra, xy.tra,\n"
    "xy_sk.tra, xy_sk1.tra, err.tra, Kontrola.tra i przetwarza obecne pliki mapy.\n"
    "Kilka folderów (obręby) przetwarza po kolei, każdy na wszystkich rdzeniach, i porównuje\n"
    "ich wspólne wierzchołki po przeliczeniu (Szwy.txt); --joint OUT wyznacza jedną\n"
    "transformację z punktów dostosowania wszystkich folderów.\n";

constexpr const char* kFooter =
    "Komunikaty i stany przetwarzania idą na standardowe wyjście błędów,\n"
    "podsumowanie na końcu na standardowe wyjście. Liczbę wątków ustala\n"
    "zmienna ZORNAK_THREADS (domyślnie wszystkie rdzenie).\n"
    "Kod wyjścia:\n"
    "  0  przetwarzanie zakończone bez problemów\n"
    "  1  nie można użyć folderu roboczego (brak folderu, brak prawa zapisu;\n"
    "     pod --recursive ROOT żadnego folderu z TRANSPKT.BIN)\n"
    "  2  błędny wiersz poleceń\n"
    "  3  przetwarzanie zakończone, zgłoszono problemy w danych wejściowych\n"
    "  4  brak transformacji, pliki mapy nie zostały przekształcone\n"
    "  5  nie udało się zapisać pliku wynikowego\n"
    "  6  punkty podejrzane: poza tym bez problemów, ale test zbioru punktów dostosowania\n"
    "     (największe T > F_kr,zb, Kontrola.tra) wskazał błędy grube; z --strict mapy\n"
    "     nieprzeliczone; także szew między folderami ponad tolerancję (Szwy.txt)\n"
    "  7  dopasowanie nie spełnia limitów (--limit-m0, --limit-residual, Limity.txt);\n"
    "     z --strict mapy nieprzeliczone\n"
    "Przy kilku przypadkach, także w kilku folderach, obowiązuje najpoważniejszy:\n"
    "5 przed 4 przed 1 przed 7 przed 6 przed 3.\n";

struct Options {
  int kind = 1, degree = 1;
  std::vector<std::string> folders;
  std::string root;
  bool json = false, gpkg = false, strict = false, fullPipeline = false, gisViaGdal = false;
  std::string gisAxis = "en";  // a drawing's X, Y: easting, northing (en) or the other way
  std::string pdf;             // the PDF report; with several folders, its name in each of them
  std::string points;          // the adjustment points for QGIS (*.points), placed as the PDF
  std::string limitM0, limitResidual;    // metres, over Limity.txt's; empty: none
  std::string seams;                     // the seam report; empty: Szwy.txt in its place
  std::string seamTolerance;             // metres; empty: 0.01
  std::string joint;                     // the joint fit's folder; empty: a fit per folder
  std::vector<std::string> gis, gisOut;  // GIS files through the fit, and where they go
  // Each --gis with the --gis-out that follows it (empty: the default name).
  std::vector<std::pair<std::string, std::string>> gisJobs;
};

// Pairs each --gis-out with the --gis before it; false when one has no --gis before it or
// a --gis has two.
bool PairGisFiles(const CLI::App& app, Options& options) {
  std::size_t in = 0, out = 0;
  bool paired = true;
  for (const CLI::Option* option : app.parse_order()) {
    if (option->get_name() == "--gis") {
      options.gisJobs.emplace_back(options.gis.at(in++), std::string());
    } else if (option->get_name() == "--gis-out") {
      const std::string& name = options.gisOut.at(out++);
      if (options.gisJobs.empty() || !options.gisJobs.back().second.empty()) paired = false;
      if (!options.gisJobs.empty()) options.gisJobs.back().second = name;
    }
  }
  return paired;
}

// What the run of one folder gave: its summary, and its result for the seams.
struct FolderRun {
  BatchReport report;
  std::shared_ptr<const RunResult> result;
  std::shared_ptr<const TransformationInput> ownInput;  // its TRANSPKT.BIN, when read
};

// A folder's part of a joint run: the union to fit (the joint folder), or the joint fit to
// convert through (every other folder); both null for a run of one folder.
struct JointRole {
  std::shared_ptr<const TransformationInput> input;
  std::shared_ptr<const TransformationResult> fit;
};

std::unique_ptr<CLI::App> CommandLine(Options& options) {
  auto app = MakeCommandLine("zornak_batch", kDescription, kFooter);
  AddModelOptions(*app, options.kind, options.degree);
  app->add_flag("--gpkg", options.gpkg, "zapisuje też przeliczoną mapę jako Mapa.gpkg");
  app->add_option("--pdf", options.pdf,
                  "zapisuje raport PDF przebiegu: sama nazwa pliku - w folderze roboczym "
                  "(w każdym z kilku), ścieżka - tam (przy kilku folderach: plik o tej nazwie "
                  "w każdym z nich)")
      ->type_name("PLIK");
  app->add_option("--points", options.points,
                  "zapisuje punkty dostosowania dla georeferencera QGIS (*.points: mapX, mapY, "
                  "sourceX, sourceY, enable, dX, dY, residual); położenie jak --pdf")
      ->type_name("PLIK");
  app->add_flag(
      "--full-pipeline", options.fullPipeline,
      "zapisuje też całą korektę jako potok PROJ: Korekta.json (tinshift, korekta "
      "Hausbrandta z dokładnością 1 mm na wierzchołkach mapy) i Transformacja_pelna.proj");
  app->add_flag("--strict", options.strict,
                "nie przelicza map, gdy są punkty podejrzane (kod wyjścia 6)");
  app->add_option("--limit-m0", options.limitM0,
                  "limit błędu średniego m0 w metrach (zamiast podanego w Limity.txt)")
      ->type_name("M")
      ->check(MetresAboveZero());
  app->add_option("--limit-residual", options.limitResidual,
                  "limit największej odchyłki punktu dostosowania w metrach")
      ->type_name("V")
      ->check(MetresAboveZero());
  app->add_option("--joint", options.joint,
                  "jedna transformacja z punktów dostosowania wszystkich folderów (wspólne "
                  "numery muszą mieć te same współrzędne); jej raporty do folderu OUT, "
                  "przeliczone mapy do każdego folderu")
      ->type_name("OUT");
  app->add_option("--seams", options.seams,
                  "raport szwów między folderami (domyślnie Szwy.txt w ROOT, a przy liście "
                  "folderów w bieżącym folderze)")
      ->type_name("PLIK");
  app->add_option("--seam-tolerance", options.seamTolerance,
                  "tolerancja szwu w metrach: różnica przeliczonych współrzędnych wspólnego "
                  "wierzchołka dwóch folderów (domyślnie 0.01)")
      ->type_name("M")
      ->check(MetresAboveZero());
  app->add_option("--gis", options.gis,
                  "przelicza też plik GIS (GeoPackage, Shapefile, DXF, GML, GeoJSON, "
                  "FlatGeobuf, CSV...) tą samą transformacją z korektą; można powtarzać")
      ->type_name("PLIK")
      ->allow_extra_args(false);
  app->add_flag("--gis-via-gdal", options.gisViaGdal,
                "przelicza plik GML lub DXF przez obiekty proste GDAL zamiast przepisać go w "
                "miejscu (domyślnie oba przepisuje się w miejscu: zmieniają się tylko "
                "współrzędne, kąty i promienie)");
  app->add_option("--gis-axis", options.gisAxis,
                  "kolejność osi rysunku DXF przepisywanego w miejscu: en - X wschodnia, Y "
                  "północna, jak rysuje CAD (domyślnie); ne - X północna, Y wschodnia")
      ->type_name("en|ne")
      ->check(CLI::IsMember({"en", "ne"}));
  app->add_option("--gis-out", options.gisOut,
                  "plik wynikowy poprzedzającego --gis (domyślnie nazwa z \"_2000\" przed "
                  "rozszerzeniem; format z rozszerzenia)")
      ->type_name("PLIK")
      ->allow_extra_args(false);
  app->add_flag("--json", options.json, "podsumowanie jako JSON (tablica przy kilku folderach)");
  app->add_option("--recursive", options.root,
                  "przetwarza każdy folder pod ROOT, który zawiera TRANSPKT.BIN")
      ->type_name("ROOT");
  app->add_option("FOLDER", options.folders, "foldery robocze")->type_name("");
  return app;
}

// Every folder under `root`, itself included, that holds a TRANSPKT.BIN, in name order.
std::vector<std::string> FoldersUnder(const std::string& root) {
  std::vector<std::string> found;
  const auto consider = [&](const std::filesystem::path& folder) {
    const std::string utf8 = textio::Utf8FromPath(folder);
    if (textio::FileExistsInFolder(utf8, kAdjustmentPointsFileName)) found.push_back(utf8);
  };
  std::error_code ec;
  const std::filesystem::path start = textio::PathFromUtf8(root);
  consider(start);
  for (auto it = std::filesystem::recursive_directory_iterator(
           start, std::filesystem::directory_options::skip_permission_denied, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec)) consider(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Where the report of `folder` goes, as the desktop program proposes it: a bare name into the
// working folder; a path as given, or with several folders its name in each folder.
std::string ReportPath(const std::string& folder, const std::string& asked, bool several) {
  const std::filesystem::path given = textio::PathFromUtf8(asked);
  const bool bare = !given.has_parent_path();
  if (!bare && !several) return asked;
  return textio::PathInFolder(folder, textio::Utf8FromPath(given.filename()));
}

// The console of one folder's run, and the messages of the batch's own steps after it.
struct FolderConsole {
  ConsoleWindow window;
  std::vector<RunMessage> later;

  void Tell(MessageKind kind, const std::string& text) {
    window.ShowMessage(kind, text);
    later.push_back({kind, text});
  }
};

// One GIS file through the run's fit; what went wrong is told as a map file's problems are,
// so that it counts for the exit status.
GisFileResult ConvertGis(const std::string& input, const std::string& output, const RunResult& run,
                         const Options& options, FolderConsole& console) {
  const GisJob job{
      input, output, run.folder, run.threads, options.gisViaGdal, options.gisAxis == "ne"};
  if (!run.Fit().Usable()) {
    GisFileResult none;
    none.input = input;
    none.error = "brak transformacji: plik nie został przeliczony";
    console.Tell(MessageKind::NoTransformation, "Plik GIS " + input + ": " + none.error);
    return none;
  }
  console.window.ShowStatus(" Przeliczam plik GIS " + input);
  GisFileResult r = ConvertGisFileOfRun(job, run.Transformation());
  if (!r.error.empty()) {
    console.Tell(r.inputProblem ? MessageKind::GisProblem : MessageKind::WriteFailure,
                 "Plik GIS " + r.input + ": " + r.error);
  }
  if (!r.problems.empty()) {
    console.Tell(MessageKind::GisProblem, "Plik GIS " + r.input + ": " +
                                              std::to_string(r.problems.size()) +
                                              " zgłoszeń w protokole " + r.protocol);
  }
  if (!r.protocolWritten)
    console.Tell(MessageKind::WriteFailure, "Błąd zapisu pliku " + r.protocol);
  return r;
}

// The run's adjustment points for QGIS's georeferencer at `path`; its absolute path when
// written.
std::optional<std::string> WritePointsForQgis(const RunResult& run, const std::string& path,
                                              FolderConsole& console) {
  std::string failure;
  if (!textio::WriteFileAtomically(path, QgisPointsText(run.Transformation()), failure)) {
    console.Tell(MessageKind::WriteFailure, "Błąd zapisu pliku " + failure);
    return std::nullopt;
  }
  std::error_code ec;
  return textio::Utf8FromPath(std::filesystem::absolute(textio::PathFromUtf8(path), ec));
}

// What the batch asks of every folder's run.
RunRequest RequestOf(const Options& options) {
  RunRequest request;
  request.model.TransformKind = options.kind;
  request.model.TransformDegree = options.degree;
  request.exportGeoPackage = options.gpkg;
  request.fullPipeline = options.fullPipeline;
  request.convertWithSuspectPoints = !options.strict;
  if (!options.limitM0.empty()) request.limitM0 = Metres(options.limitM0);
  if (!options.limitResidual.empty()) request.limitResidual = Metres(options.limitResidual);
  // The PDF draws the map.
  request.keepMapDrawing = !options.pdf.empty();
  return request;
}

FolderRun RunFolder(const std::string& folder, const Options& options, bool several,
                    std::ostream& err, const JointRole& joint = {}) {
  std::error_code ec;
  if (!std::filesystem::is_directory(textio::PathFromUtf8(folder), ec)) {
    BatchReport missing;
    // As absolute as for a folder that exists, so that a script can tell which one it was.
    missing.folder =
        textio::Utf8FromPath(std::filesystem::absolute(textio::PathFromUtf8(folder), ec));
    missing.kind = options.kind;
    missing.degree = options.degree;
    missing.messages.push_back("folder roboczy " + folder + " nie istnieje lub nie jest folderem");
    missing.exitStatus = kExitFolder;
    for (const char* key : kReportKeys)
      missing.reports.emplace_back(key, std::nullopt);
    missing.reports.emplace_back("pdf", std::nullopt);
    err << "zornak_batch: " << missing.messages.back() << '\n';
    return {missing, nullptr, nullptr};
  }
  FolderConsole console{ConsoleWindow(err), {}};
  RunState state;
  state.threads = ThreadsFromEnvironment();
  state.jointInput = joint.input;
  state.jointFit = joint.fit;
  state.files.WorkingFolder = AbsoluteFolder(folder);
  state.files.BuildWorkingFiles();
  state.files.RefreshPresence(console.window);
  const std::shared_ptr<const RunResult> run =
      RunProcessing(state, RequestOf(options), console.window);
  std::vector<GisFileResult> gis;
  for (const auto& [input, output] : options.gisJobs) {
    if (run->started) gis.push_back(ConvertGis(input, output, *run, options, console));
  }
  std::optional<std::string> pdf;
  if (!options.pdf.empty() && run->started && !joint.fit) {
    const std::string path = ReportPath(run->folder, options.pdf, several);
    std::string error;
    if (WritePdfReportThroughPlugin(*run, run->folder, {}, path, error)) {
      std::error_code ec;
      pdf = textio::Utf8FromPath(std::filesystem::absolute(textio::PathFromUtf8(path), ec));
    } else {
      console.Tell(MessageKind::WriteFailure, error);
    }
  }
  std::optional<std::string> points;
  if (!options.points.empty() && run->started && !joint.fit && run->Transformation().input)
    points = WritePointsForQgis(*run, ReportPath(run->folder, options.points, several), console);
  console.window.FlushStatus();
  BatchReport report = CollectReport(*run, console.later);
  report.reports.emplace_back("pdf", pdf);
  if (!options.points.empty()) report.reports.emplace_back("points", points);
  report.gisAsked = !options.gis.empty();
  report.fullPipelineAsked = options.fullPipeline;
  report.removedOutputs = run->removedOutputs;
  // The GIS files of this run are its own: what is stale is looked at after them.
  if (run->started)
    report.staleOutputs = options.gisJobs.empty() ? run->staleOutputs : StaleOutputs(*run);
  if (const auto& tin = run->Transformation().tin; tin && run->Fit().Usable()) {
    const std::string folderPath = run->folder;
    for (auto [name, path] : {std::pair{kCorrectionTinFileName, &report.tinFile},
                              {kFullPipelineFileName, &report.fullPipelineFile}}) {
      if (textio::FileExistsInFolder(folderPath, name)) {
        *path = textio::PathInFolder(folderPath, name);
      }
    }
    report.tinVertices = tin->vertices.size();
    report.tinTriangles = tin->triangles.size();
    report.tinLargestDifference = tin->largestDifference;
  }
  report.gis = std::move(gis);
  if (joint.fit) {
    // The fit's figures and files are the joint folder's; this folder has its maps.
    for (auto& [key, path] : report.reports)
      path.reset();
    report.points.clear();
    report.models.clear();
    report.proposal.clear();
    report.snooping.clear();
  }
  const auto input = joint.fit ? nullptr : run->Transformation().input;
  return {std::move(report), run, input};
}

long double SeamTolerance(const Options& options) {
  return options.seamTolerance.empty() ? kSeamTolerance : Metres(options.seamTolerance);
}

// Where the seam report goes: --seams, else Szwy.txt in ROOT, else in the current folder.
std::string SeamReportPath(const Options& options) {
  if (!options.seams.empty()) return options.seams;
  return textio::PathInFolder(options.root.empty() ? "." : options.root, kSeamReportName);
}

// What the seam search found and where it was reported.
struct SeamOutcome {
  SeamFindings findings;
  std::vector<std::string> names;
  long double tolerance = 0;
  std::optional<std::string> path;  // Szwy.txt, absolute, when written
};

// The seams between the folders of `runs`, reported into Szwy.txt and each folder's summary.
SeamOutcome ReportSeams(std::vector<FolderRun>& runs, const Options& options, std::ostream& err) {
  SeamOutcome o;
  std::vector<SeamFolder> folders;
  for (const FolderRun& run : runs)
    folders.push_back(SeamFolderOf(run.report.folder, run.result.get(), run.ownInput.get()));
  const CountySeams found = FindCountySeams(folders, SeamTolerance(options),
                                            ThreadsFromEnvironment(), SeamReportPath(options));
  o.findings = found.findings;
  o.names = found.names;
  o.tolerance = found.tolerance;
  if (found.written) {
    o.path = found.path;
  } else {
    err << "zornak_batch: Błąd zapisu pliku " << found.failure << '\n';
  }
  for (std::size_t k = 0; k < runs.size(); ++k) {
    AddSeams(o.findings, o.names, static_cast<int>(k), runs[k].report);
    runs[k].report.seamReport = o.path;
  }
  return o;
}

// The joint fit's run in its folder, with what each folder brought to it.
struct JointRun {
  FolderRun run;
  std::string folder;                                              // absolute
  std::vector<std::shared_ptr<const TransformationInput>> inputs;  // each folder's own
  std::vector<std::optional<long double>> ownM0;
};

// A command line refused after it was parsed: said on standard error, and as JSON when asked.
int Refuse(int status, const std::vector<std::string>& lines, const Options& options,
           std::ostream& out, std::ostream& err) {
  for (const std::string& line : lines)
    err << line << '\n';
  if (options.json) PrintJsonRefusal(status, lines, out);
  return status;
}

// The adjustment points of every folder joined, fitted and judged once, the fit's report
// files written into the joint folder. When the folders cannot be joined nothing is
// written and `refused` holds the exit status.
std::optional<JointRun> RunJointFit(const std::vector<std::string>& folders, const Options& options,
                                    std::ostream& out, std::ostream& err,
                                    std::optional<int>& refused) {
  ModelChoice choice;
  choice.TransformKind = options.kind;
  choice.TransformDegree = options.degree;
  choice.ReportDecimals = 4;
  ConsoleWindow window(err);
  PreparedJoint prepared =
      PrepareJoint(folders, options.joint, choice, ThreadsFromEnvironment(), window);
  const JointInput& union_ = prepared.joint;
  if (!union_.input) {
    std::vector<std::string> lines;
    for (const std::string& problem : union_.problems)
      lines.push_back("zornak_batch: --joint: " + problem);
    const int status = prepared.inputs.empty()    ? kExitCommandLine
                       : union_.conflicts.empty() ? kExitNoTransform
                                                  : kExitInputProblem;
    refused = Refuse(status, lines, options, out, err);
    return std::nullopt;
  }
  JointRun joint;
  joint.folder = prepared.folder;
  joint.inputs = std::move(prepared.inputs);
  joint.ownM0 = std::move(prepared.ownM0);
  joint.run = RunFolder(joint.folder, options, true, err, {union_.input, nullptr});
  joint.run.ownInput = nullptr;
  joint.run.report.jointFolder = joint.folder;
  joint.run.report.jointParts = union_.input->joint;
  return joint;
}

void AddJointPart(const JointRun& joint, std::size_t k, FolderRun& run) {
  run.report.jointFolder = joint.folder;
  run.report.ownM0 = joint.ownM0[k];
  run.ownInput = joint.inputs[k];
}

}  // namespace

int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  const auto app = CommandLine(options);
  std::ostringstream refusal;
  std::optional<int> done = ParseCommandLine(*app, argc, argv, out, refusal);
  if (!done && options.gpkg && !GeoPackageAvailable()) {
    refusal << "zornak_batch: --gpkg: program zbudowano bez GDAL\n";
    done = kExitCommandLine;
  }
  if (!done && !options.gis.empty() && !GeoPackageAvailable()) {
    refusal << "zornak_batch: --gis: program zbudowano bez GDAL\n";
    done = kExitCommandLine;
  }
  if (!done && !PairGisFiles(*app, options)) {
    refusal << "zornak_batch: --gis-out: każdy plik wynikowy idzie po swoim --gis\n";
    done = kExitCommandLine;
  }
  if (!done && !options.gis.empty() &&
      (options.folders.size() > 1 || !options.root.empty() || !options.joint.empty())) {
    refusal << "zornak_batch: --gis: jeden folder roboczy, bez --recursive i --joint\n";
    done = kExitCommandLine;
  }
  if (!done && !options.pdf.empty() && !PdfReportAvailable()) {
    refusal << "zornak_batch: --pdf: program zbudowano bez Qt (brak wtyczki raportu)\n";
    done = kExitCommandLine;
  }
  if (done) {
    err << refusal.str();
    // A script that asked for JSON gets JSON on this path too.
    const bool json = std::any_of(argv + 1, argv + std::max(argc, 1),
                                  [](const char* a) { return std::string_view(a) == "--json"; });
    if (*done != 0 && json) {
      std::vector<std::string> lines;
      std::istringstream said(refusal.str());
      for (std::string line; std::getline(said, line);)
        lines.push_back(line);
      PrintJsonRefusal(*done, lines, out);
    }
    return *done;
  }
  std::vector<std::string> folders = options.folders;
  if (!options.root.empty()) {
    std::error_code ec;
    if (!std::filesystem::is_directory(textio::PathFromUtf8(options.root), ec)) {
      folders.push_back(options.root);  // reported as a folder that cannot be used
    } else {
      const std::vector<std::string> found = FoldersUnder(options.root);
      if (found.empty()) {
        // A mistyped root must not pass for a county done.
        err << "zornak_batch: pod " << options.root
            << " nie ma folderu roboczego z plikiem TRANSPKT.BIN\n";
        if (options.json) out << "[]\n";
        return kExitFolder;
      }
      folders.insert(folders.end(), found.begin(), found.end());
    }
  } else if (folders.empty()) {
    folders.push_back(".");
  }
  const bool several = folders.size() > 1 || !options.root.empty();
  std::vector<FolderRun> runs;
  std::optional<JointRun> joint;
  if (!options.joint.empty()) {
    std::optional<int> refused;
    joint = RunJointFit(folders, options, out, err, refused);
    if (refused) return *refused;
  }
  for (const std::string& folder : folders) {
    const JointRole role{nullptr, joint ? joint->run.result->transformation : nullptr};
    runs.push_back(RunFolder(folder, options, several, err, role));
    if (joint) AddJointPart(*joint, runs.size() - 1, runs.back());
  }
  // Seams need two folders that ran: folders that could not be used share nothing, and
  // their report would land in the current folder for nothing.
  const auto ran = std::count_if(runs.begin(), runs.end(), [](const FolderRun& run) {
    return run.report.exitStatus != kExitFolder;
  });
  std::optional<SeamOutcome> seams;
  if (ran >= 2) seams = ReportSeams(runs, options, err);
  // A folder's line gives its final status: the seams may still make it 6.
  if (several && !options.json) {
    for (const FolderRun& run : runs)
      PrintSummaryLine(run.report, out);
  }
  if (joint) runs.insert(runs.begin(), std::move(joint->run));
  std::vector<BatchReport> reports;
  int status = seams && !seams->path ? kExitWriteFailure : kExitDone;
  for (FolderRun& run : runs) {
    if (Seriousness(run.report.exitStatus) > Seriousness(status)) status = run.report.exitStatus;
    reports.push_back(std::move(run.report));
  }
  if (options.json) {
    several ? PrintJsonArray(reports, out) : PrintJson(reports.front(), out);
  } else {
    several ? PrintClosingTable(reports, out) : PrintText(reports.front(), out);
    if (seams) PrintSeamTable(seams->findings, seams->names, seams->tolerance, seams->path, out);
  }
  return status;
}
