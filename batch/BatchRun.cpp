#include "batch/BatchRun.h"

#include <filesystem>
#include <string>
#include <string_view>

#include "batch/BatchReport.h"
#include "batch/ConsoleWindow.h"
#include "run/RunProcessing.h"
#include "textio/Platform.h"

namespace {

constexpr const char* kUsage =
    "Użycie: zornak_batch [--kind 1|2] [--degree 1..9] [--gpkg] [--json] [FOLDER]\n"
    "        zornak_batch --version | --help\n"
    "Wykonuje transformację z korektą Hausbrandta w folderze roboczym FOLDER\n"
    "(domyślnie w bieżącym): czyta TRANSPKT.BIN, zapisuje Protokol.tra, xy.tra,\n"
    "xy_sk.tra, xy_sk1.tra, err.tra i przetwarza obecne pliki mapy.\n"
    "  --kind 1     transformacja konforemna (domyślnie)\n"
    "  --kind 2     transformacja ogólna (lokalnie afiniczna)\n"
    "  --degree N   stopień wielomianu 1..9 (domyślnie 1)\n"
    "  --gpkg       zapisuje też przeliczoną mapę jako Mapa.gpkg (GeoPackage)\n"
    "  --json       podsumowanie jako jeden obiekt JSON\n"
    "  --version    wersja programu\n"
    "Komunikaty i stany przetwarzania idą na standardowe wyjście błędów,\n"
    "podsumowanie na końcu na standardowe wyjście.\n"
    "Kod wyjścia:\n"
    "  0  przetwarzanie zakończone bez problemów\n"
    "  1  nie można użyć folderu roboczego (brak folderu, brak prawa zapisu)\n"
    "  2  błędny wiersz poleceń\n"
    "  3  przetwarzanie zakończone, zgłoszono problemy w danych wejściowych\n"
    "  4  brak transformacji, pliki mapy nie zostały przekształcone\n"
    "  5  nie udało się zapisać pliku wynikowego\n"
    "Przy kilku przypadkach obowiązuje najwyższy kod (5 przed 4 przed 3).\n";

struct Options {
  std::string kindText{kKindItems[0]};
  std::string degreeText{kDegreeItems[0]};
  std::string folder = ".";
  bool help = false, version = false, json = false, gpkg = false;
};

// The item of `items` chosen by the one-digit number `value` (1-based), or nothing.
template <std::size_t N>
bool ChooseItem(std::string_view value, const std::array<std::string_view, N>& items,
                std::string& text) {
  if (value.size() != 1 || value[0] < '1' || value[0] > '0' + static_cast<int>(N)) return false;
  text = items[value[0] - '1'];
  return true;
}

bool ParseOptions(int argc, const char* const* argv, Options& options, std::ostream& err) {
  bool folderGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--gpkg") {
      if (!GeoPackageAvailable()) {
        err << "zornak_batch: --gpkg: program zbudowano bez GDAL\n";
        return false;
      }
      options.gpkg = true;
    } else if (arg == "--kind" || arg == "--degree") {
      const bool kind = arg == "--kind";
      const bool chosen =
          i + 1 < argc && (kind ? ChooseItem(argv[i + 1], kKindItems, options.kindText)
                                : ChooseItem(argv[i + 1], kDegreeItems, options.degreeText));
      if (!chosen) {
        err << "zornak_batch: " << arg << (kind ? " wymaga 1 lub 2\n" : " wymaga liczby 1..9\n");
        return false;
      }
      ++i;
    } else if (!arg.empty() && arg[0] == '-') {
      err << "zornak_batch: nieznana opcja " << arg << '\n';
      return false;
    } else if (folderGiven) {
      err << "zornak_batch: podano więcej niż jeden folder\n";
      return false;
    } else {
      options.folder = arg;
      folderGiven = true;
    }
  }
  return true;
}

}  // namespace

int RunBatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  if (!ParseOptions(argc, argv, options, err)) {
    err << kUsage;
    return kExitCommandLine;
  }
  if (options.help) {
    out << kUsage;
    return kExitDone;
  }
  if (options.version) {
    out << "zornak_batch " << ZORNAK_VERSION << '\n';
    return kExitDone;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(textio::PathFromUtf8(options.folder), ec)) {
    err << "zornak_batch: folder roboczy " << options.folder
        << " nie istnieje lub nie jest folderem\n";
    return kExitFolder;
  }
  ConsoleWindow window(options.kindText, options.degreeText, err);
  RunState state;
  state.exportGeoPackage = options.gpkg;
  state.files.WorkingFolder = AbsoluteFolder(options.folder);
  state.files.BuildWorkingFiles();
  state.files.RefreshPresence(window);
  RunProcessing(state, window);
  window.FlushStatus();
  ModelChoice model;
  TakeModelChoice(options.kindText, options.degreeText, model);
  const BatchReport report = CollectReport(state, model, window);
  if (options.json) {
    PrintJson(report, out);
  } else {
    PrintText(report, out);
  }
  return report.exitStatus;
}
