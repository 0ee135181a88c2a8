// zornak_transpkt XY1 XY2 TRANSPKT.BIN: writes the adjustment point file from two lists.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "textio/Platform.h"
#include "tools/AdjustmentLists.h"

int main(int argc, char** argv) {
  textio::PrepareConsole();
  const std::vector<std::string> args = textio::CommandLineArguments(argc, argv);
  std::vector<const char*> utf8;
  for (const std::string& a : args)
    utf8.push_back(a.c_str());
  std::string xy1, xy2, output;
  const auto app =
      MakeCommandLine("zornak_transpkt",
                      "Łączy punkty list XY1 (układ pierwotny) i XY2 (układ wtórny) po numerach\n"
                      "(wiersz: numer x y) i zapisuje plik punktów dostosowania TRANSPKT.BIN.\n",
                      "Kod wyjścia: 0 zapisano, 1 błąd listy lub zapisu, 2 błędne wywołanie.\n");
  app->add_option("XY1", xy1, "lista punktów w układzie pierwotnym")->required()->type_name("");
  app->add_option("XY2", xy2, "lista punktów w układzie wtórnym")->required()->type_name("");
  app->add_option("TRANSPKT.BIN", output, "plik wynikowy")->required()->type_name("");
  if (const std::optional<int> done = ParseCommandLine(*app, static_cast<int>(utf8.size()),
                                                       utf8.data(), std::cout, std::cerr)) {
    return *done;
  }
  return MakeTransPkt(xy1, xy2, output, std::cout, std::cerr);
}
