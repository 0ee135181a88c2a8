// make_county ROOT [ROWS [COLUMNS [PARCELS_PER_SIDE]]]: writes a generated county of
// precinct working folders under ROOT whose boundaries share their vertices, for the seam
// report and the joint fit.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/CountyGenerator.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "Użycie: make_county ROOT [WIERSZE [KOLUMNY [DZIAŁKI_NA_BOK]]]\n");
    return 2;
  }
  CountyShape shape;
  if (argc > 2) shape.rows = std::max(1, std::atoi(argv[2]));
  if (argc > 3) shape.columns = std::max(1, std::atoi(argv[3]));
  if (argc > 4) shape.parcelsPerSide = std::max(1, std::atoi(argv[4]));
  shape.sharedCornerPoints = true;
  for (const auto& folder : WriteCounty(argv[1], shape))
    std::printf("%s\n", folder.c_str());
  return 0;
}
