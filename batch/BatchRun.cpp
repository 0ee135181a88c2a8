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
#include "run/ReportLoader.h"
#include "run/RunProcessing.h"
#include "textio/FolderFiles.h"
#include "textio/Platform.h"

namespace {

constexpr const char* kDescription =
    "Wykonuje transformację z korektą Hausbrandta w folderach roboczych FOLDER\n"
    "(domyślnie w bieżącym): czyta TRANSPKT.BIN, zapisuje Protokol.tra, xy.tra,\n"
    "xy_sk.tra, xy_sk1.tra, err.tra, Kontrola.tra i przetwarza obecne pliki mapy.\n"
    "Kilka folderów (obręby) przetwarza po kolei, każdy na wszystkich rdzeniach.\n";

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
    "     nieprzeliczone\n"
    "  7  dopasowanie nie spełnia limitów (--limit-m0, --limit-residual, Limity.txt);\n"
    "     z --strict mapy nieprzeliczone\n"
    "Przy kilku przypadkach, także w kilku folderach, obowiązuje najpoważniejszy:\n"
    "5 przed 4 przed 1 przed 7 przed 6 przed 3.\n";

struct Options {
  int kind = 1, degree = 1;
  std::vector<std::string> folders;
  std::string root;
  bool json = false, gpkg = false, strict = false;
  std::string pdf;  // the PDF report; with several folders, its name in each of them
  std::string limitM0, limitResidual;  // metres, over Limity.txt's; empty: none
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
    if (textio::FileExistsInFolder(utf8, "TRANSPKT.BIN")) found.push_back(utf8);
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

// How serious an exit status is, for the status of several folders.
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

// Where the report of `folder` goes, as the desktop program proposes it: a bare name into the
// working folder; a path as given, or with several folders its name in each folder.
std::string ReportPath(const std::string& folder, const Options& options, bool several) {
  const std::filesystem::path given = textio::PathFromUtf8(options.pdf);
  const bool bare = !given.has_parent_path();
  if (!bare && !several) return options.pdf;
  return textio::PathInFolder(folder, textio::Utf8FromPath(given.filename()));
}

BatchReport RunFolder(const std::string& folder, const Options& options, bool several,
                      std::ostream& err) {
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
    return missing;
  }
  ConsoleWindow window(options.kind, options.degree, err);
  RunState state;
  state.threads = ThreadsFromEnvironment();
  state.exportGeoPackage = options.gpkg;
  state.convertWithSuspectPoints = !options.strict;
  if (!options.limitM0.empty()) state.transformation.limits.m0 = Metres(options.limitM0);
  if (!options.limitResidual.empty()) {
    state.transformation.limits.residual = Metres(options.limitResidual);
  }
  state.model.TransformKind = options.kind;
  state.model.TransformDegree = options.degree;
  state.modelFromSelectors = false;
  state.files.WorkingFolder = AbsoluteFolder(folder);
  state.files.BuildWorkingFiles();
  state.files.RefreshPresence(window);
  RunProcessing(state, window);
  std::optional<std::string> pdf;
  if (!options.pdf.empty() && state.Result().started) {
    const std::string path = ReportPath(state.files.WorkingFolder, options, several);
    std::string error;
    if (WritePdfReportThroughPlugin(state.Result(), state.files.WorkingFolder, {}, path, error)) {
      std::error_code ec;
      pdf = textio::Utf8FromPath(std::filesystem::absolute(textio::PathFromUtf8(path), ec));
    } else {
      window.ShowMessage(MessageKind::WriteFailure, error);
    }
  }
  window.FlushStatus();
  BatchReport report = CollectReport(state.Result(), state.model, window);
  report.reports.emplace_back("pdf", pdf);
  return report;
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
  std::vector<BatchReport> reports;
  int status = kExitDone;
  for (const std::string& folder : folders) {
    reports.push_back(RunFolder(folder, options, several, err));
    const BatchReport& r = reports.back();
    if (Seriousness(r.exitStatus) > Seriousness(status)) status = r.exitStatus;
    if (several && !options.json) PrintSummaryLine(r, out);
  }
  if (options.json) {
    several ? PrintJsonArray(reports, out) : PrintJson(reports.front(), out);
  } else {
    several ? PrintClosingTable(reports, out) : PrintText(reports.front(), out);
  }
  return status;
}
