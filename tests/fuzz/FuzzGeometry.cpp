// The readers of the map's geometry (the picture and the GIS export use them, on converted
// and on input files, the seams on input files): the fuzzer's bytes as a parcel file, a point file,
// a layer file and an object file.
#include "convert/MapGeometry.h"
#include "convert/SectionedFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("geometry.txt", data, size);
  const std::string path = Fuzz().files.WorkingFolder + "/geometry.txt";
  std::vector<ParcelShape> shapes;
  ReadParcelShapes(path, shapes);
  std::vector<PointShape> points;
  int unreadable = 0;
  ReadPointShapes(path, points, unreadable);
  std::vector<std::pair<long double, long double>> positions;
  // Every boundary vertex of a shape is a vertex line read whole: both its pairs are there.
  ReadParcelPositions(path, positions);
  std::size_t boundary = 0;
  for (const ParcelShape& shape : shapes)
    boundary += shape.boundary.size();
  if (positions.size() < 2 * boundary) __builtin_trap();
  positions.clear();
  ReadSectionPositions(LayerFormat(), path, positions);
  ReadSectionPositions(ObjectFormat(), path, positions);
  return 0;
}
