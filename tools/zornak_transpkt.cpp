// zornak_transpkt XY1 XY2 TRANSPKT.BIN: writes the adjustment point file from two lists;
// zornak_transpkt --from-points FILE.points TRANSPKT.BIN: from QGIS's georeferencer points.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "textio/Platform.h"
#include "tools/AdjustmentLists.h"
#include "transform/QgisPoints.h"

int main(int argc, char** argv) {
  textio::PrepareConsole();
  const std::vector<std::string> args = textio::CommandLineArguments(argc, argv);
  std::vector<const char*> utf8;
  for (const std::string& a : args)
    utf8.push_back(a.c_str());
  std::vector<std::string> files;
  std::string points;
  const auto app = MakeCommandLine(
      "zornak_transpkt",
      "Łączy punkty list XY1 (układ pierwotny) i XY2 (układ wtórny) po numerach\n"
      "(wiersz: numer x y) i zapisuje plik punktów dostosowania TRANSPKT.BIN; albo\n"
      "z --from-points zapisuje go z pliku punktów georeferencera QGIS (*.points;\n"
      "punkty z enable 0 do Wykluczone.txt obok TRANSPKT.BIN).\n",
      "Kod wyjścia: 0 zapisano, 1 błąd listy lub zapisu, 2 błędne wywołanie,\n"
      "3 błędne wiersze pliku .points.\n");
  app->add_option("--from-points", points,
                  "plik punktów georeferencera QGIS (mapX,mapY,sourceX,sourceY,enable,...)")
      ->type_name("PLIK.points");
  app->add_option("XY1 XY2 TRANSPKT.BIN", files,
                  "listy punktów w układzie pierwotnym i wtórnym oraz plik wynikowy (z "
                  "--from-points sam plik wynikowy)")
      ->required()
      ->type_name("");
  if (const std::optional<int> done = ParseCommandLine(*app, static_cast<int>(utf8.size()),
                                                       utf8.data(), std::cout, std::cerr)) {
    return *done;
  }
  if (files.size() != (points.empty() ? 3u : 1u)) {
    std::cerr << "zornak_transpkt: "
              << (points.empty() ? "potrzebne XY1 XY2 TRANSPKT.BIN"
                                 : "z --from-points potrzebny tylko TRANSPKT.BIN")
              << "\n";
    return 2;
  }
  if (!points.empty()) return ImportQgisPoints(points, files[0], std::cout, std::cerr);
  return MakeTransPkt(files[0], files[1], files[2], std::cout, std::cerr);
}
