#include "tools/PlotRun.h"

#include <filesystem>
#include <string>

#include "cli/CommandLine.h"
#include "picture/FitPicture.h"
#include "run/RunProcessing.h"
#include "textio/Platform.h"

namespace {

constexpr const char* kDescription =
    "Rysuje mapę odchyłek przebiegu wykonanego w folderze roboczym FOLDER: mapę, punkty\n"
    "dostosowania z wektorami odchyłek, pole korekt Hausbrandta, legendę i tabliczkę.\n"
    "Transformację oblicza z TRANSPKT.BIN i Wykluczone.txt modelem z --kind i --degree\n"
    "(jak zornak_batch); niczego nie zapisuje w folderze.\n"
    "Format wyniku wynika z rozszerzenia: .png, .svg lub .pdf.\n";
constexpr const char* kFooter =
    "Kod wyjścia: 0 zapisano, 1 brak przebiegu w folderze lub błąd zapisu, 2 błędne wywołanie\n"
    "(także nieznany rodzaj pliku wyniku).\n";

}  // namespace

int RunPlot(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  std::string folder, output;
  int width = 1600;
  ModelChoice choice{1, 1, 4};
  bool noMap = false;
  const auto app = MakeCommandLine("zornak_plot", kDescription, kFooter);
  app->add_option("FOLDER", folder, "folder roboczy")->required()->type_name("");
  app->add_option("WYNIK", output, "plik obrazu: .png, .svg lub .pdf")->required()->type_name("");
  app->add_option("--width", width, "szerokość obrazu w pikselach (domyślnie 1600; wysokość 5/8)")
      ->type_name("200..20000")
      ->check(WholeNumberIn(200, 20000));
  AddModelOptions(*app, choice.TransformKind, choice.TransformDegree);
  app->add_flag("--no-map", noMap, "bez mapy (tylko punkty dostosowania i korekty)");
  if (const std::optional<int> done = ParseCommandLine(*app, argc, argv, out, err)) return *done;
  if (!IsPictureFile(QString::fromStdString(output))) {
    err << "zornak_plot: nieznany rodzaj pliku wyniku " << output << " (.png, .svg lub .pdf)\n"
        << "Opis wywołania: zornak_plot --help\n";
    return kCommandLineError;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(textio::PathFromUtf8(folder), ec)) {
    err << "zornak_plot: folder roboczy " << folder << " nie istnieje lub nie jest folderem\n";
    return 1;
  }
  FitPictureData data;
  QString error;
  if (!LoadFitPicture(folder, choice, !noMap, ThreadsFromEnvironment(), data, error) ||
      !SaveFitPicture(QString::fromStdString(output), data, width, error)) {
    err << "zornak_plot: " << error.toStdString() << '\n';
    return 1;
  }
  out << output << '\n';
  return 0;
}
