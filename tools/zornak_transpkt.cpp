// zornak_transpkt XY1 XY2 TRANSPKT.BIN: writes the adjustment point file from two lists.
#include <iostream>
#include <string_view>

#include "tools/AdjustmentLists.h"

int main(int argc, char** argv) {
  if (argc != 4 || std::string_view(argv[1]) == "--help") {
    std::cerr << "Użycie: zornak_transpkt XY1 XY2 TRANSPKT.BIN\n"
                 "Łączy punkty list XY1 (układ pierwotny) i XY2 (układ wtórny) po numerach\n"
                 "(wiersz: numer x y) i zapisuje plik punktów dostosowania TRANSPKT.BIN.\n";
    return argc == 2 ? 0 : 2;
  }
  return MakeTransPkt(argv[1], argv[2], argv[3], std::cerr);
}
