#include "gis/GeoPackage.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "convert/MapGeometry.h"
#include "convert/ParcelArea.h"
#include "convert/SectionedFile.h"
#include "gis/GdalSetup.h"
#include "gis/SpatialIndexFill.h"
#include "textio/Cp1250.h"
#include "textio/NumberReading.h"
#include "textio/Platform.h"
#include "textio/SystemReason.h"
#include "textio/TextFile.h"
#include "transform/FitStamp.h"

namespace {

using Pairs = std::vector<std::pair<long double, long double>>;

std::string Utf8(std::string_view cp1250) {
  return textio::Cp1250ToUtf8(cp1250);
}

// Every map file of the export, read once.
struct MapContents {
  std::vector<ParcelShape> parcels, contours;
  std::vector<long double> parcelIndexAreas, contourIndexAreas;  // from SKO_*.txt, or NaN
  std::vector<PointShape> points;
  struct Record {
    int kind;
    std::string words;
    Pairs positions;
  };
  std::vector<Record> layers, objects;
  MapFileSet read{};  // the files read, each one a layer of its own
};

// The areas of an index by row number: each row is the number, the identifier, the area
// (ha), Xo and Yo, so the area is the third word from the end (an identifier may hold
// blanks or widen its field). Header and closing lines have no number.
std::vector<long double> IndexAreas(const std::string& path) {
  std::vector<long double> areas;
  textio::TextFileReader in;
  if (!in.Open(path)) return areas;
  std::string line;
  while (in.ReadLine(line)) {
    std::istringstream words(line);
    std::vector<std::string> word{std::istream_iterator<std::string>(words), {}};
    char* end = nullptr;
    const long row = word.size() >= 5 ? std::strtol(word[0].c_str(), &end, 10) : 0;
    if (row < 1 || *end != '\0') continue;
    long double area = NAN;
    // The number reader of the map files: "." whatever the locale.
    if (!textio::ParseNumber(word[word.size() - 3], area)) area = NAN;
    if (static_cast<std::size_t>(row) > areas.size()) areas.resize(row, NAN);
    areas[row - 1] = area;
  }
  return areas;
}

void ReadSections(const SectionedFormat& format, const std::string& path,
                  std::vector<MapContents::Record>& records) {
  ForEachSectionRecord(format, path, [&](const SectionRecord& r) {
    std::string words;
    for (int k = 1; k <= r.words->Count(); ++k) {
      if (r.words->Word(k).empty()) continue;
      if (!words.empty()) words += ' ';
      words += Utf8(r.words->Word(k));
    }
    records.push_back({r.kind, std::move(words), r.positions});
  });
}

MapContents ReadMap(const WorkingFileTable& files, const MapFileSet& converted) {
  MapContents map;
  const auto path = [&](MapFile file) { return files.SlotPath(SlotsOf(file).converted); };
  const auto take = [&](MapFile file) {
    const int k = static_cast<int>(file);
    map.read[k] = converted[k] && files.SlotFileExists(SlotsOf(file).converted);
    return map.read[k];
  };
  if (take(MapFile::Parcels)) {
    ReadParcelShapes(path(MapFile::Parcels), map.parcels);
    map.parcelIndexAreas = IndexAreas(files.SlotPath(slot::kParcelsIndex));
  }
  if (take(MapFile::Contours)) {
    ReadParcelShapes(path(MapFile::Contours), map.contours);
    map.contourIndexAreas = IndexAreas(files.SlotPath(slot::kContoursIndex));
  }
  int unreadable = 0;
  if (take(MapFile::Points)) ReadPointShapes(path(MapFile::Points), map.points, unreadable);
  if (take(MapFile::Layers)) ReadSections(LayerFormat(), path(MapFile::Layers), map.layers);
  if (take(MapFile::Objects)) ReadSections(ObjectFormat(), path(MapFile::Objects), map.objects);
  return map;
}

// Layers and features into the open GeoPackage; each layer's spatial index made by GDAL on
// the empty table and filled once after the file is closed, as every GIS file of a run.
class Writer {
 public:
  Writer(GDALDataset& dataset, OGRSpatialReference* srs) : dataset_(dataset), srs_(srs) {}

  OGRLayer* Layer(const char* name, OGRwkbGeometryType type,
                  const std::vector<std::pair<const char*, OGRFieldType>>& fields) {
    // The spatial index is made below and filled once the features are in.
    const char* const options[] = {"SPATIAL_INDEX=NO", nullptr};
    OGRLayer* layer = dataset_.CreateLayer(name, srs_, type, const_cast<char**>(options));
    if (!layer) {
      failed_ = true;
      return nullptr;
    }
    for (const auto& [field, kind] : fields) {
      OGRFieldDefn definition(field, kind);
      layer->CreateField(&definition);
    }
    indexes_.emplace_back();
    std::string error;
    if (!DeferSpatialIndex(dataset_, *layer, indexes_.back(), error)) {
      failure_ = error;
      failed_ = true;
      return nullptr;
    }
    indexOf_[layer] = indexes_.size() - 1;
    return layer;
  }
  // A feature with `geometry` (taken), its fields set by `fill`.
  template <typename Fill>
  void Add(OGRLayer* layer, OGRGeometry* geometry, Fill fill) {
    std::unique_ptr<OGRFeature> feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    feature->SetGeometryDirectly(geometry);
    fill(*feature);
    if (layer->CreateFeature(feature.get()) != OGRERR_NONE) {
      failed_ = true;
      return;
    }
    if (geometry && !geometry->IsEmpty()) {
      OGREnvelope e;
      geometry->getEnvelope(&e);
      indexes_[indexOf_.at(layer)].entries.push_back(
          {feature->GetFID(), e.MinX, e.MaxX, e.MinY, e.MaxY});
    }
  }
  // True when a layer or a feature was refused: the file would lack records.
  bool Failed() const { return failed_; }
  const std::string& Failure() const { return failure_; }
  std::vector<DeferredSpatialIndex>& Indexes() { return indexes_; }

 private:
  GDALDataset& dataset_;
  OGRSpatialReference* srs_;
  bool failed_ = false;
  std::string failure_;
  std::vector<DeferredSpatialIndex> indexes_;
  std::map<const OGRLayer*, std::size_t> indexOf_;
};

// Geometry in the order GIS tools draw: easting (y), then northing (x).
OGRPoint* Point(long double x, long double y) {
  return new OGRPoint(static_cast<double>(y), static_cast<double>(x));
}

// A polygon when the boundary has three distinct vertices and every vertex read; else a
// line through the vertices read (two distinct at least); else nothing.
OGRGeometry* ParcelGeometry(const ParcelShape& shape, bool& valid) {
  std::set<std::pair<long double, long double>> distinct(shape.boundary.begin(),
                                                         shape.boundary.end());
  valid = shape.unreadable == 0 && distinct.size() >= 3;
  if (valid) {
    auto* ring = new OGRLinearRing;
    for (const auto& [x, y] : shape.boundary)
      ring->addPoint(static_cast<double>(y), static_cast<double>(x));
    ring->closeRings();
    auto* polygon = new OGRPolygon;
    polygon->addRingDirectly(ring);
    return polygon;
  }
  if (distinct.size() < 2) return nullptr;
  auto* line = new OGRLineString;
  for (const auto& [x, y] : shape.boundary)
    line->addPoint(static_cast<double>(y), static_cast<double>(x));
  return line;
}

// Parcels and contours: a POLYGON layer; the outlines that form no polygon go to a
// LINESTRING layer "<name>_linie" beside it, made only when there is one.
void ParcelLayer(Writer& w, const char* name, const std::vector<ParcelShape>& shapes,
                 const std::vector<long double>& indexAreas, int& invalid) {
  const std::vector<std::pair<const char*, OGRFieldType>> fields = {
      {"identyfikator", OFTString}, {"jednostka", OFTInteger},     {"obreb", OFTString},
      {"numer", OFTString},         {"pow_skorowidz_ha", OFTReal}, {"pow_obliczona_ha", OFTReal}};
  OGRLayer* polygons = w.Layer(name, wkbPolygon, fields);
  if (!polygons) return;
  OGRLayer* lines = nullptr;
  BoundaryRing ring;
  for (std::size_t n = 0; n < shapes.size(); ++n) {
    const ParcelShape& s = shapes[n];
    bool valid = false;
    OGRGeometry* geometry = ParcelGeometry(s, valid);
    if (!valid) ++invalid;
    if (!geometry) continue;
    const int k = static_cast<int>(s.boundary.size());
    ring.X.assign(k + 1, 0);
    ring.Y.assign(k + 1, 0);
    for (int i = 1; i <= k; ++i)
      ring.X[i] = s.boundary[i - 1].first, ring.Y[i] = s.boundary[i - 1].second;
    const long double area = ParcelArea(ring, k);
    if (!valid && !lines)
      lines = w.Layer((std::string(name) + "_linie").c_str(), wkbLineString, fields);
    OGRLayer* layer = valid ? polygons : lines;
    if (!layer) continue;
    w.Add(layer, geometry, [&](OGRFeature& f) {
      f.SetField("identyfikator", Utf8(TrimmedNumber(s.header.identifier)).c_str());
      f.SetField("jednostka", static_cast<int>(s.header.unit));
      f.SetField("obreb", s.header.precinct.Text().c_str());
      f.SetField("numer", Utf8(s.number).c_str());
      if (n < indexAreas.size() && !std::isnan(indexAreas[n]))
        f.SetField("pow_skorowidz_ha", static_cast<double>(indexAreas[n]));
      f.SetField("pow_obliczona_ha", static_cast<double>(area));
    });
  }
}

void PointLayer(Writer& w, const std::vector<PointShape>& points) {
  OGRLayer* layer =
      w.Layer("punkty", wkbPoint,
              {{"numer", OFTString}, {"x2", OFTReal}, {"y2", OFTReal}, {"reszta", OFTString}});
  if (!layer) return;
  for (const PointShape& p : points) {
    w.Add(layer, Point(p.x, p.y), [&](OGRFeature& f) {
      f.SetField("numer", Utf8(p.name).c_str());
      f.SetField("x2", static_cast<double>(p.x2));
      f.SetField("y2", static_cast<double>(p.y2));
      f.SetField("reszta", Utf8(p.rest).c_str());
    });
  }
}

// Records with a second position become lines, the others points; the layer declares the
// one kind when all its records are of it.
void SectionLayer(Writer& w, const char* name, const std::vector<MapContents::Record>& records) {
  const auto lines =
      std::count_if(records.begin(), records.end(),
                    [](const MapContents::Record& r) { return r.positions.size() == 2; });
  const OGRwkbGeometryType type = records.empty() || lines == 0 ? wkbPoint
                                  : lines == static_cast<std::ptrdiff_t>(records.size())
                                      ? wkbLineString
                                      : wkbUnknown;
  OGRLayer* layer = w.Layer(name, type, {{"rodzaj", OFTInteger}, {"slowa", OFTString}});
  if (!layer) return;
  for (const auto& r : records) {
    OGRGeometry* geometry = nullptr;
    if (r.positions.size() == 2) {
      auto* line = new OGRLineString;
      for (const auto& [x, y] : r.positions)
        line->addPoint(static_cast<double>(y), static_cast<double>(x));
      geometry = line;
    } else {
      geometry = Point(r.positions[0].first, r.positions[0].second);
    }
    w.Add(layer, geometry, [&](OGRFeature& f) {
      f.SetField("rodzaj", r.kind);
      f.SetField("slowa", r.words.c_str());
    });
  }
}

void AdjustmentLayer(Writer& w, const TransformationResult& t) {
  OGRLayer* layer = w.Layer("punkty_dostosowania", wkbPoint,
                            {{"nr", OFTString},
                             {"vx", OFTReal},
                             {"vy", OFTReal},
                             {"v", OFTReal},
                             {"dx", OFTReal},
                             {"dy", OFTReal},
                             {"d", OFTReal},
                             {"m0_i", OFTReal},
                             {"podejrzany", OFTInteger},
                             {"wylaczony", OFTInteger}});
  if (!layer) return;
  for (const AdjustmentCheck& c : t.checks) {
    w.Add(layer, Point(c.x2, c.y2), [&](OGRFeature& f) {
      f.SetField("nr", ShownNumber(c.nr).c_str());
      if (!c.excluded) {
        f.SetField("vx", static_cast<double>(c.vx));
        f.SetField("vy", static_cast<double>(c.vy));
        f.SetField("v", static_cast<double>(std::hypot(c.vx, c.vy)));
      }
      if (c.predictable) {
        f.SetField("dx", static_cast<double>(c.dx));
        f.SetField("dy", static_cast<double>(c.dy));
        f.SetField("d", static_cast<double>(c.d));
      }
      if (c.m0i) f.SetField("m0_i", static_cast<double>(*c.m0i));
      f.SetField("podejrzany", c.flagged ? 1 : 0);
      f.SetField("wylaczony", c.excluded ? 1 : 0);
    });
  }
}

// The finished file reaches the disk before it takes its name, as every output does.
bool SyncAndRename(const std::string& temporary, const std::string& path, std::string& reason) {
  if (!textio::SyncFileByName(temporary) || !textio::RenameReplacing(temporary, path)) {
    reason = textio::SystemReason(errno);
    return false;
  }
  return true;
}

}  // namespace

std::string GeoPackageFitStamp(const std::string& path) {
  PrepareGdal();
  std::unique_ptr<GDALDataset> dataset(static_cast<GDALDataset*>(
      GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
  const char* stamp = dataset ? dataset->GetMetadataItem(kFitStampMetadataItem) : nullptr;
  return stamp ? stamp : "";
}

GeoPackageSummary ExportGeoPackage(const WorkingFileTable& files, const MapFileSet& converted,
                                   const TransformationResult& transformation, RunEvents& events) {
  GeoPackageSummary summary;
  summary.path = files.SlotPath(slot::kGeoPackage);
  events.ShowStatus(" Zapisuję Mapa.gpkg");
  const MapContents map = ReadMap(files, converted);
  bool mixed = false;
  summary.epsg = ZoneOfFit(transformation.FittedTransformation, mixed);
  OGRSpatialReference srs;
  if (summary.epsg != 0 && srs.importFromEPSG(summary.epsg) != OGRERR_NONE) summary.epsg = 0;
  // Without a zone the layers say "undefined Cartesian", not GeoPackage's default of
  // undefined geographic, which GIS tools would read as degrees.
  if (summary.epsg == 0) srs.SetLocalCS("Undefined cartesian SRS");
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);

  PrepareGdal();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
  const std::string temporary =
      summary.path + textio::kTemporaryMark + std::to_string(textio::ProcessNumber()) + "-0.gpkg";
  textio::RemoveFile(temporary);
  std::unique_ptr<GDALDataset> dataset(
      driver ? driver->Create(temporary.c_str(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr);
  if (!dataset) {
    events.ShowMessage(MessageKind::WriteFailure,
                       "Błąd zapisu pliku " + summary.path + ": " + CPLGetLastErrorMsg());
    return summary;
  }
  dataset->StartTransaction();
  Writer writer(*dataset, &srs);
  const auto read = [&](MapFile file) { return map.read[static_cast<int>(file)]; };
  if (read(MapFile::Parcels)) {
    ParcelLayer(writer, "dzialki", map.parcels, map.parcelIndexAreas, summary.invalid);
  }
  if (read(MapFile::Contours)) {
    ParcelLayer(writer, "kontury", map.contours, map.contourIndexAreas, summary.invalid);
  }
  if (read(MapFile::Points)) PointLayer(writer, map.points);
  if (read(MapFile::Layers)) SectionLayer(writer, "warstwy", map.layers);
  if (read(MapFile::Objects)) SectionLayer(writer, "obiekty", map.objects);
  AdjustmentLayer(writer, transformation);
  dataset->SetMetadataItem(kFitStampMetadataItem, FitStamp(transformation).c_str());
  const bool committed = dataset->CommitTransaction() == OGRERR_NONE && !writer.Failed();
  dataset.reset();  // closes the file
  std::string reason = writer.Failure().empty() ? CPLGetLastErrorMsg() : writer.Failure();
  const bool indexed = committed && FillSpatialIndexes(temporary, writer.Indexes(), reason);
  if (!indexed || !SyncAndRename(temporary, summary.path, reason)) {
    textio::RemoveFile(temporary);
    events.ShowMessage(MessageKind::WriteFailure,
                       "Błąd zapisu pliku " + summary.path + ": " + reason);
    return summary;
  }
  summary.written = true;
  if (summary.epsg == 0) {
    events.ShowMessage(MessageKind::ExportNote,
                       std::string("Mapa.gpkg zapisano bez układu odniesienia: współrzędne ") +
                           (mixed ? "należą do różnych stref" : "nie należą do żadnej strefy") +
                           " układu \"2000\"");
  }
  if (summary.invalid > 0) {
    events.ShowMessage(MessageKind::ExportNote,
                       "Mapa.gpkg: rekordów działek/konturów, które nie tworzą poprawnego "
                       "wieloboku (zapisane jako linia w warstwie dzialki_linie lub "
                       "kontury_linie albo pominięte): " +
                           std::to_string(summary.invalid));
  }
  return summary;
}
