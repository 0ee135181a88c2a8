#include "batch/BatchRun.h"

#include <filesystem>
#include <string>
#include <string_view>

#include "batch/ConsoleWindow.h"
#include "shell/RunProcessing.h"
#include "shell/WorkingFiles.h"

namespace {

constexpr const char* kUsage =
    "Użycie: zornak_batch [--kind 1|2] [--degree 1..9] [FOLDER]\n"
    "Wykonuje transformację z korektą Hausbrandta w folderze roboczym FOLDER\n"
    "(domyślnie w bieżącym): czyta TRANSPKT.BIN, zapisuje Protokol.tra, xy.tra,\n"
    "xy_sk.tra, xy_sk1.tra, err.tra i przetwarza obecne pliki mapy.\n"
    "  --kind 1     transformacja konforemna (domyślnie)\n"
    "  --kind 2     transformacja ogólna (lokalnie afiniczna)\n"
    "  --degree N   stopień wielomianu 1..9 (domyślnie 1)\n"
    "Komunikaty i stany przetwarzania idą na standardowe wyjście błędów,\n"
    "liczniki i stan plików na końcu na standardowe wyjście.\n";

struct Options {
  std::string kindText{kKindItems[0]};
  std::string degreeText{kDegreeItems[0]};
  std::string folder = ".";
  bool help = false;
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
    return 2;
  }
  if (options.help) {
    out << kUsage;
    return 0;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(options.folder, ec)) {
    err << "zornak_batch: folder roboczy " << options.folder
        << " nie istnieje lub nie jest folderem\n";
    return 1;
  }
  ConsoleWindow window(options.kindText, options.degreeText, err);
  SetWorkingFolder(options.folder);
  ClearPresence();
  BuildWorkingFiles();
  RefreshPresence(window);
  RunProcessing(window);
  window.FlushStatus();
  window.PrintSummary(out);
  return 0;
}
