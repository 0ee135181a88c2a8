// Mapa.gpkg read back through OGR: its layers and feature counts against the converted
// files, every vertex against the converted file's pair, the reference system, where PROJ
// puts its points, and records that make no valid polygon.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>
#include <proj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "run/RunProcessing.h"
#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"
#include "tests/gis/SqlRows.h"
#include "textio/Cp1250.h"

namespace {

namespace fs = std::filesystem;
using Pairs = std::vector<std::pair<double, double>>;

struct Dataset {
  explicit Dataset(const std::string& path)
      : data(static_cast<GDALDataset*>(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                                  nullptr, nullptr, nullptr))) {}
  std::unique_ptr<GDALDataset> data;
};

class GeoPackageRun : public testing::Test {
 protected:
  void SetUp() override { GDALAllRegister(); }
  void Run(bool exportIt = true) {
    state.files.WorkingFolder = folder.Path();
    state.files.BuildWorkingFiles();
    window.request.exportGeoPackage = exportIt;
    RunProcessing(state, window.Request(), window);
  }
  void CopyDemo() { folder.CopyDemo(); }
  // Adjustment points equal in both systems around (x, y).
  void Identity(long double x, long double y) {
    folder.WriteAdjustmentPoints({{"1", x, y, x, y},
                                  {"2", x + 1000, y, x + 1000, y},
                                  {"3", x, y + 1000, x, y + 1000},
                                  {"4", x + 1000, y + 1000, x + 1000, y + 1000}});
  }
  TestFolder folder;
  RecordingWindow window;
  RunState state;
};

// The second pairs of the vertex lines of each record of a converted parcel file, as its
// lines say: a header, a record line, a count line, then that many vertex lines of a
// 20-character label and four numbers.
std::vector<Pairs> BoundariesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  std::vector<Pairs> records;
  for (std::size_t k = 0; k + 2 < lines.size();) {
    if (lines[k].find('.') == std::string::npos && lines[k].find('-') == std::string::npos) {
      ++k;
      continue;
    }
    const int count = std::stoi(lines[k + 2]);
    Pairs boundary;
    for (int i = 1; i <= count; ++i) {
      std::istringstream numbers(lines[k + 2 + i].substr(20));
      double a, b, x, y;
      numbers >> a >> b >> x >> y;
      boundary.emplace_back(x, y);
    }
    records.push_back(boundary);
    k += 3 + count;
  }
  return records;
}

TEST_F(GeoPackageRun, EveryLayerAndVertexOfTheDemo) {
  CopyDemo();
  Run();
  ASSERT_TRUE(state.Result().geoPackageWritten);
  EXPECT_EQ(window.panels[slot::kGeoPackage], PanelState::Output);
  Dataset gpkg(folder.File("Mapa.gpkg"));
  ASSERT_TRUE(gpkg.data);
  // Each layer declares the geometry its features have (GIS programs style a layer by it).
  struct Layer {
    const char* name;
    int count;
    OGRwkbGeometryType type;
  };
  const Layer counts[] = {{"dzialki", 9, wkbPolygon}, {"kontury", 3, wkbPolygon},
                          {"punkty", 24, wkbPoint},   {"warstwy", 11, wkbUnknown},
                          {"obiekty", 7, wkbUnknown}, {"punkty_dostosowania", 36, wkbPoint}};
  EXPECT_EQ(gpkg.data->GetLayerCount(), 6);
  for (const auto& [name, count, type] : counts) {
    OGRLayer* layer = gpkg.data->GetLayerByName(name);
    ASSERT_NE(layer, nullptr) << name;
    EXPECT_EQ(layer->GetFeatureCount(), count) << name;
    EXPECT_EQ(wkbFlatten(layer->GetGeomType()), type) << name;
    const OGRSpatialReference* srs = layer->GetSpatialRef();
    ASSERT_NE(srs, nullptr) << name;
    EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "2178") << name;  // eastings 7.4e6: zone 7
    // Each layer's spatial index is whole: SQLite's own check passes, one entry a feature,
    // and GDAL's spatial filter finds exactly the features whose boxes meet a window.
    const std::string rtree = std::string("rtree_") + name + "_geom";
    EXPECT_EQ(SqlRowsOfFile(folder.File("Mapa.gpkg"), "SELECT rtreecheck('" + rtree + "')"),
              std::vector<std::string>{"ok"})
        << name;
    EXPECT_EQ(SqlRowsOfFile(folder.File("Mapa.gpkg"), "SELECT count(*) FROM \"" + rtree + "\""),
              std::vector<std::string>{std::to_string(count)})
        << name;
    OGREnvelope all;
    ASSERT_EQ(layer->GetExtent(&all), OGRERR_NONE) << name;
    const double middle = (all.MinX + all.MaxX) / 2;
    GIntBig filtered = 0, meeting = 0;
    for (const auto& feature : *layer) {
      OGREnvelope e;
      feature->GetGeometryRef()->getEnvelope(&e);
      meeting += e.MinX <= middle ? 1 : 0;
    }
    layer->SetSpatialFilterRect(all.MinX, all.MinY, middle, all.MaxY);
    for (const auto& feature : *layer)
      filtered += feature ? 1 : 0;
    layer->SetSpatialFilter(nullptr);
    EXPECT_EQ(filtered, meeting) << name;
    EXPECT_GT(filtered, 0) << name;
  }
  // Every vertex of every parcel equals the converted file's pair, easting first.
  const std::vector<Pairs> boundaries = BoundariesOf(folder.Read("Dzialki.ed_"));
  OGRLayer* parcels = gpkg.data->GetLayerByName("dzialki");
  parcels->ResetReading();
  std::size_t record = 0;
  for (auto& feature : *parcels) {
    ASSERT_LT(record, boundaries.size());
    const OGRPolygon* polygon = feature->GetGeometryRef()->toPolygon();
    const OGRLinearRing* ring = polygon->getExteriorRing();
    const Pairs& expected = boundaries[record++];
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
      EXPECT_DOUBLE_EQ(ring->getX(i), expected[i].second);
      EXPECT_DOUBLE_EQ(ring->getY(i), expected[i].first);
    }
    EXPECT_GT(feature->GetFieldAsDouble("pow_obliczona_ha"), 0);
    // The index's area comes from the unrounded boundary, the recomputed one from the
    // file's centimetres: a parcel of 200 m perimeter may differ by about 1 m2.
    EXPECT_NEAR(feature->GetFieldAsDouble("pow_obliczona_ha"),
                feature->GetFieldAsDouble("pow_skorowidz_ha"), 0.0002);
  }
  EXPECT_EQ(record, boundaries.size());
}

// Transforms (easting, northing) of `srs` to longitude and latitude (degrees) with PROJ.
std::pair<double, double> LongitudeLatitude(const char* srs, double easting, double northing) {
  PJ_CONTEXT* context = proj_context_create();
  PJ* raw = proj_create_crs_to_crs(context, srs, "EPSG:4326", nullptr);
  PJ* operation = proj_normalize_for_visualization(context, raw);
  const PJ_COORD out = proj_trans(operation, PJ_FWD, proj_coord(easting, northing, 0, 0));
  proj_destroy(operation);
  proj_destroy(raw);
  proj_context_destroy(context);
  return {out.lp.lam, out.lp.phi};
}

// Through OGR with the layer's own reference system, to longitude and latitude (degrees),
// longitude first.
std::unique_ptr<OGRCoordinateTransformation> ToDegrees(OGRLayer& from) {
  OGRSpatialReference wgs84;
  wgs84.importFromEPSG(4326);
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  OGRSpatialReference layer(*from.GetSpatialRef());
  layer.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return std::unique_ptr<OGRCoordinateTransformation>(
      OGRCreateCoordinateTransformation(&layer, &wgs84));
}

TEST_F(GeoPackageRun, AnEastingOfSixAndAHalfMillionInZoneSixLiesOnEighteenDegrees) {
  Identity(5500000, 6499500);
  folder.Write("PUNKTY.ept", "P1                  5500000.00 6500000.00 0 0\r\n");
  Run();
  Dataset gpkg(folder.File("Mapa.gpkg"));
  ASSERT_TRUE(gpkg.data);
  OGRLayer* points = gpkg.data->GetLayerByName("punkty");
  ASSERT_EQ(points->GetFeatureCount(), 1);
  std::unique_ptr<OGRFeature> feature(points->GetNextFeature());
  const OGRPoint* point = feature->GetGeometryRef()->toPoint();
  EXPECT_EQ(point->getX(), 6500000.0);  // easting first
  EXPECT_EQ(point->getY(), 5500000.0);
  const auto toDegrees = ToDegrees(*points);
  double lon = point->getX(), lat = point->getY();
  ASSERT_TRUE(toDegrees->Transform(1, &lon, &lat));
  EXPECT_NEAR(lon, 18.0, 1e-12);
  const auto [projLon, projLat] = LongitudeLatitude("EPSG:2177", 6500000, 5500000);
  EXPECT_NEAR(lon, projLon, 1e-12);
  EXPECT_NEAR(lat, projLat, 1e-12);
}

TEST_F(GeoPackageRun, AKnownParcelLandsWherePROJPutsIt) {
  CopyDemo();
  Run();
  Dataset gpkg(folder.File("Mapa.gpkg"));
  OGRLayer* parcels = gpkg.data->GetLayerByName("dzialki");
  std::unique_ptr<OGRFeature> first(parcels->GetNextFeature());
  const OGRLinearRing* ring = first->GetGeometryRef()->toPolygon()->getExteriorRing();
  const auto toDegrees = ToDegrees(*parcels);
  for (int i = 0; i < ring->getNumPoints(); ++i) {
    double lon = ring->getX(i), lat = ring->getY(i);
    ASSERT_TRUE(toDegrees->Transform(1, &lon, &lat));
    const auto [projLon, projLat] = LongitudeLatitude("EPSG:2178", ring->getX(i), ring->getY(i));
    EXPECT_NEAR(lon, projLon, 1e-12);
    EXPECT_NEAR(lat, projLat, 1e-12);
    EXPECT_NEAR(lon, 21, 1.0);  // zone 7 is centred on 21 degrees east
  }
}

TEST_F(GeoPackageRun, RecordsThatAreNoPolygonAndReferencesThatFitNoZone) {
  Identity(5566000, 7455000);
  folder.Write("DZIALKI.edz",
               "  1.12-1\r\n5566100 7455100 5566100 7455100\r\n4\r\n"
               "A                   0 0 5566100.00 7455100.00\r\n"
               "B                   0 0 5566200.00 7455100.00\r\n"
               "C                   0 0 5566200.00 7455200.00\r\n"
               "A                   0 0 5566100.00 7455100.00\r\n"
               "  1.12-2\r\n5566100 7455100 5566100 7455100\r\n2\r\n"
               "A                   0 0 5566100.00 7455100.00\r\n"
               "B                   0 0 5566200.00 7455100.00\r\n"
               "  1.12-3\r\n5566100 7455100 5566100 7455100\r\n1\r\n"
               "A                   0 0 5566100.00 7455100.00\r\n");
  Run();
  Dataset gpkg(folder.File("Mapa.gpkg"));
  // The parcel layer declares its polygons; an outline that forms none is a line in a
  // layer of lines beside it; the single vertex is left out.
  OGRLayer* parcels = gpkg.data->GetLayerByName("dzialki");
  OGRLayer* lines = gpkg.data->GetLayerByName("dzialki_linie");
  ASSERT_TRUE(parcels && lines);
  EXPECT_EQ(wkbFlatten(parcels->GetGeomType()), wkbPolygon);
  EXPECT_EQ(wkbFlatten(lines->GetGeomType()), wkbLineString);
  ASSERT_EQ(parcels->GetFeatureCount(), 1);
  ASSERT_EQ(lines->GetFeatureCount(), 1);
  std::unique_ptr<OGRFeature> polygon(parcels->GetNextFeature()), line(lines->GetNextFeature());
  EXPECT_EQ(wkbFlatten(polygon->GetGeometryRef()->getGeometryType()), wkbPolygon);
  EXPECT_EQ(wkbFlatten(line->GetGeometryRef()->getGeometryType()), wkbLineString);
  EXPECT_STREQ(line->GetFieldAsString("identyfikator"), "1.12-2");
  EXPECT_EQ(gpkg.data->GetLayerByName("kontury_linie"), nullptr);  // made only when needed
  EXPECT_NE(std::find(window.messages.begin(), window.messages.end(),
                      "Mapa.gpkg: rekordów działek/konturów, które nie tworzą poprawnego "
                      "wieloboku (zapisane jako linia w warstwie dzialki_linie lub "
                      "kontury_linie albo pominięte): 2"),
            window.messages.end());

  // Adjustment points in two zones: the export has no reference system, and says why.
  folder.WriteAdjustmentPoints({{"1", 5566000, 6999000, 5566000, 6999000},
                                {"2", 5567000, 6999500, 5567000, 6999500},
                                {"3", 5566000, 7455000, 5566000, 7455000},
                                {"4", 5567000, 7456000, 5567000, 7456000}});
  window.messages.clear();
  Run();
  Dataset mixed(folder.File("Mapa.gpkg"));
  // No zone: an undefined Cartesian system in metres, never GeoPackage's undefined
  // geographic one, which GIS tools would read as degrees.
  const OGRSpatialReference* none = mixed.data->GetLayerByName("dzialki")->GetSpatialRef();
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->IsLocal());
  EXPECT_EQ(none->GetAuthorityCode(nullptr), nullptr);
  EXPECT_NE(std::find(window.messages.begin(), window.messages.end(),
                      "Mapa.gpkg zapisano bez układu odniesienia: współrzędne należą do "
                      "różnych stref układu \"2000\""),
            window.messages.end());
}

// Mapa.gpkg holds what its own run converted: a converted parcel file left in the folder by
// an earlier run of another fit, whose input is gone, is not exported with the new fit's
// layers; a map file the run has no input for gets no layer.
TEST_F(GeoPackageRun, ARepeatedRunExportsOnlyWhatItConverted) {
  CopyDemo();
  Run();
  ASSERT_TRUE(folder.Exists("Dzialki.ed_"));
  folder.Remove("DZIALKI.edz");
  window.request.model = {2, 2, 0};
  Run();
  ASSERT_TRUE(state.Result().geoPackageWritten);
  ASSERT_TRUE(folder.Exists("Dzialki.ed_"));  // the earlier run's, left alone
  Dataset gpkg(folder.File("Mapa.gpkg"));
  ASSERT_TRUE(gpkg.data);
  EXPECT_EQ(gpkg.data->GetLayerByName("dzialki"), nullptr);
  EXPECT_EQ(gpkg.data->GetLayerCount(), 5);
  // The contours are this run's: every vertex as its converted file has it now.
  const std::vector<Pairs> boundaries = BoundariesOf(folder.Read("Kontury.ed_"));
  OGRLayer* contours = gpkg.data->GetLayerByName("kontury");
  ASSERT_NE(contours, nullptr);
  ASSERT_EQ(contours->GetFeatureCount(), static_cast<GIntBig>(boundaries.size()));
  std::unique_ptr<OGRFeature> first(contours->GetNextFeature());
  const OGRLinearRing* ring = first->GetGeometryRef()->toPolygon()->getExteriorRing();
  EXPECT_DOUBLE_EQ(ring->getX(0), boundaries[0][0].second);
  EXPECT_DOUBLE_EQ(ring->getY(0), boundaries[0][0].first);
}

TEST_F(GeoPackageRun, NoSwitchNoGeoPackage) {
  CopyDemo();
  Run(false);
  EXPECT_FALSE(folder.Exists("Mapa.gpkg"));
  EXPECT_FALSE(state.Result().geoPackageWritten);
}

}  // namespace
