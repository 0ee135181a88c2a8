// zornak_transpkt XY1 XY2 TRANSPKT.BIN: writes the adjustment point file from two lists.
#include <iostream>
#include <string>
#include <vector>

#include "textio/Platform.h"
#include "tools/AdjustmentLists.h"

int main(int argc, char** argv) {
  textio::PrepareConsole();
  const std::vector<std::string> args = textio::CommandLineArguments(argc, argv);
  if (args.size() != 4 || args[1] == "--help") {
    std::cerr << "Użycie: zornak_transpkt XY1 XY2 TRANSPKT.BIN\n"
                 "Łączy punkty list XY1 (układ pierwotny) i XY2 (układ wtórny) po numerach\n"
                 "(wiersz: numer x y) i zapisuje plik punktów dostosowania TRANSPKT.BIN.\n";
    return args.size() == 2 && args[1] == "--help" ? 0 : 2;
  }
  return MakeTransPkt(args[1], args[2], args[3], std::cerr);
}
