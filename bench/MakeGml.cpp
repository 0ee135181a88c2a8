// make_gml FILE [PARCELS [NORTH EAST SIDE PER_ROW]] [--gml2] [--cp1250] [--crlf]: writes a GML
// file of the registers' objects (GmlGenerator.h), PARCELS parcels with their boundary points,
// labels, fences and pipes; prints its count of positions.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/GmlGenerator.h"

int main(int argc, char** argv) {
  GmlFlavour flavour;
  std::vector<std::string> plain;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    if (a == "--gml2") {
      flavour.gml2 = true;
    } else if (a == "--cp1250") {
      flavour.cp1250 = true;
    } else if (a == "--crlf") {
      flavour.crlf = true;
    } else {
      plain.push_back(a);
    }
  }
  if (plain.empty() || plain.size() == 3 || plain.size() == 4 || plain.size() > 6) {
    std::fprintf(stderr,
                 "make_gml FILE [PARCELS [NORTH EAST SIDE PER_ROW]] [--gml2] "
                 "[--cp1250] [--crlf]\n");
    return 2;
  }
  if (plain.size() >= 2) flavour.parcels = std::atoi(plain[1].c_str());
  if (plain.size() == 6) {
    flavour.north = std::strtold(plain[2].c_str(), nullptr);
    flavour.east = std::strtold(plain[3].c_str(), nullptr);
    flavour.side = std::strtold(plain[4].c_str(), nullptr);
    flavour.perRow = std::atoi(plain[5].c_str());
  }
  std::ofstream out(plain[0], std::ios::binary);
  WriteGml(out, flavour);
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_gml: cannot write %s\n", plain[0].c_str());
    return 1;
  }
  std::printf("%lld\n", GmlPositions(flavour));
  return 0;
}
