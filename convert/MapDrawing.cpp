#include "convert/MapDrawing.h"

#include "convert/MapGeometry.h"
#include "convert/SectionedFile.h"

namespace {

void Outlines(const std::string& path, MapDrawing& map) {
  std::vector<ParcelShape> shapes;
  ReadParcelShapes(path, shapes);
  for (ParcelShape& shape : shapes) {
    if (shape.boundary.size() >= 2) map.outlines.push_back(std::move(shape.boundary));
  }
}

// The point file is marked by the first pair of each record.
void PointMarks(const std::string& path, MapDrawing& map) {
  std::vector<PointShape> points;
  int unreadable = 0;
  ReadPointShapes(path, points, unreadable);
  for (const PointShape& p : points)
    map.marks.emplace_back(p.x, p.y);
}

void Draw(MapFile file, const std::string& path, MapDrawing& map) {
  switch (file) {
    case MapFile::Parcels:
    case MapFile::Contours:
      Outlines(path, map);
      break;
    case MapFile::Points:
      PointMarks(path, map);
      break;
    case MapFile::Layers:
      ReadSectionPositions(LayerFormat(), path, map.marks);
      break;
    case MapFile::Objects:
      ReadSectionPositions(ObjectFormat(), path, map.marks);
      break;
  }
}

}  // namespace

MapDrawing ReadMapDrawing(const WorkingFileTable& files, const MapFileSet& converted) {
  MapDrawing map;
  for (int k = 0; k < kMapFileCount; ++k) {
    const MapFile file = static_cast<MapFile>(k);
    const MapFileSlots& slots = SlotsOf(file);
    if (converted[k] && files.SlotFileExists(slots.converted)) {
      map.converted = true;
      Draw(file, files.SlotPath(slots.converted), map);
    } else if (files.SlotFileExists(slots.input)) {
      Draw(file, files.SlotPath(slots.input), map);
    }
  }
  return map;
}

MapDrawing ReadMapDrawingOfFolder(const WorkingFileTable& files) {
  MapFileSet converted{};
  for (int k = 0; k < kMapFileCount; ++k)
    converted[k] = files.SlotFileExists(SlotsOf(static_cast<MapFile>(k)).converted);
  return ReadMapDrawing(files, converted);
}
