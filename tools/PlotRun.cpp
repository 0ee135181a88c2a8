#include "tools/PlotRun.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "picture/FitPicture.h"
#include "textio/Platform.h"

namespace {

constexpr const char* kUsage =
    "Użycie: zornak_plot FOLDER WYNIK.png|WYNIK.svg|WYNIK.pdf [--width PIKSELE] [--no-map]\n"
    "Rysuje mapę odchyłek przebiegu wykonanego w folderze roboczym FOLDER: mapę, punkty\n"
    "dostosowania z wektorami odchyłek, pole korekt Hausbrandta, legendę i tabliczkę.\n"
    "  --width N   szerokość obrazu w pikselach (domyślnie 1600; wysokość 5/8 szerokości)\n"
    "  --no-map    bez mapy (tylko punkty dostosowania i korekty)\n"
    "Kod wyjścia: 0 zapisano, 1 brak przebiegu w folderze lub błąd zapisu, 2 błędne wywołanie.\n";

}  // namespace

int RunPlot(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  std::string folder, output;
  int width = 1600;
  bool map = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    }
    if (arg == "--no-map") {
      map = false;
    } else if (arg == "--width" && i + 1 < argc) {
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 200 || value > 20000) {
        err << "zornak_plot: --width wymaga liczby 200..20000\n" << kUsage;
        return 2;
      }
      width = static_cast<int>(value);
    } else if (!arg.empty() && arg[0] != '-' && folder.empty()) {
      folder = arg;
    } else if (!arg.empty() && arg[0] != '-' && output.empty()) {
      output = arg;
    } else {
      err << "zornak_plot: nieznany argument " << arg << '\n' << kUsage;
      return 2;
    }
  }
  if (folder.empty() || output.empty()) {
    err << kUsage;
    return 2;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(textio::PathFromUtf8(folder), ec)) {
    err << "zornak_plot: folder roboczy " << folder << " nie istnieje lub nie jest folderem\n";
    return 1;
  }
  FitPictureData data;
  QString error;
  if (!LoadFitPicture(folder, map, data, error) ||
      !SaveFitPicture(QString::fromStdString(output), data, width, error)) {
    err << "zornak_plot: " << error.toStdString() << '\n';
    return 1;
  }
  out << output << '\n';
  return 0;
}
