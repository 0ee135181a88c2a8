#include "convert/MapPositions.h"

#include "convert/MapGeometry.h"
#include "convert/SectionedFile.h"

std::vector<MapPosition> InputMapPositions(const WorkingFileTable& files,
                                           const std::array<bool, kMapFileCount>& which) {
  std::vector<MapPosition> positions;
  for (int k = 0; k < kMapFileCount; ++k) {
    if (!which[k]) continue;
    const MapFile file = static_cast<MapFile>(k);
    const std::string input = files.SlotPath(SlotsOf(file).input);
    switch (file) {
      case MapFile::Parcels:
      case MapFile::Contours:
        ReadParcelPositions(input, positions);
        break;
      case MapFile::Points: {
        std::vector<PointShape> points;
        int unreadable = 0;
        ReadPointShapes(input, points, unreadable);
        for (const PointShape& p : points) {
          positions.emplace_back(p.x, p.y);
          positions.emplace_back(p.x2, p.y2);
        }
        break;
      }
      case MapFile::Layers:
        ReadSectionPositions(LayerFormat(), input, positions);
        break;
      case MapFile::Objects:
        ReadSectionPositions(ObjectFormat(), input, positions);
        break;
    }
  }
  return positions;
}

std::vector<MapPosition> ConvertedMapPositions(const RunResult& run) {
  return InputMapPositions(run.files, run.ConvertedFiles());
}
