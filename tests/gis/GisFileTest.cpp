// GIS files through the run's fit (zornak_batch --gis): files made with GDAL's own ogr2ogr
// from the demo's parcels in the primary system come back with the coordinates of
// Dzialki.ed_ to the printed digit, their attributes and counts; parts, holes and Z stay;
// bad input gets one message and leaves nothing half-written.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <sstream>

#include "convert/MapGeometry.h"
#include "tests/BatchCall.h"
#include "tests/JsonValue.h"
#include "tests/TestFolder.h"
#include "tests/gis/SqlRows.h"
#include "textio/NumberForms.h"

namespace {

bool HaveOgr2ogr() {
  return std::system("ogr2ogr --version > /dev/null 2>&1") == 0;
}

std::string Printed(double v) {
  return textio::Fixed(v, 0, 2);
}

// A GIS ring as WKT, easting first, from a boundary as the map files hold it (x northing).
std::string Ring(const std::vector<std::pair<long double, long double>>& boundary) {
  std::string wkt = "(";
  for (std::size_t k = 0; k < boundary.size(); ++k) {
    wkt += k ? ", " : "";
    wkt += textio::Fixed(boundary[k].second, 0, 2) + " " + textio::Fixed(boundary[k].first, 0, 2);
  }
  return wkt + ")";
}

// A ring's vertices as printed, easting first; a Shapefile turns its outer rings clockwise,
// so a ring may come back in the other direction from the same first vertex.
std::vector<std::string> PrintedRing(const OGRLineString& line) {
  std::vector<std::string> printed;
  for (int i = 0; i < line.getNumPoints(); ++i)
    printed.push_back(Printed(line.getX(i)) + " " + Printed(line.getY(i)));
  return printed;
}

std::vector<std::string> PrintedRing(const std::vector<std::pair<long double, long double>>& ring,
                                     bool reversed) {
  std::vector<std::string> printed;
  for (const auto& [x, y] : ring)
    printed.push_back(textio::Fixed(y, 0, 2) + " " + textio::Fixed(x, 0, 2));
  if (reversed) std::reverse(printed.begin(), printed.end());
  return printed;
}

// The shoelace sign, in GIS order (easting, northing).
bool IsClockwise(const OGRLineString& line) {
  double twice = 0;
  for (int i = 0; i + 1 < line.getNumPoints(); ++i)
    twice += line.getX(i) * line.getY(i + 1) - line.getX(i + 1) * line.getY(i);
  return twice < 0;
}

bool IsClockwise(const std::vector<std::pair<long double, long double>>& ring) {
  long double twice = 0;
  for (std::size_t i = 0; i + 1 < ring.size(); ++i)
    twice += ring[i].second * ring[i + 1].first - ring[i + 1].second * ring[i].first;
  return twice < 0;
}

std::unique_ptr<GDALDataset> Open(const std::string& path) {
  return std::unique_ptr<GDALDataset>(
      GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
}

class GisFileRun : public testing::Test {
 protected:
  void SetUp() override {
    GDALAllRegister();
    folder_.CopyDemo();
    ASSERT_TRUE(ReadParcelShapes(folder_.File("DZIALKI.edz"), input_));
  }
  // The demo's converted parcels by number, as Dzialki.ed_ prints them.
  std::map<std::string, std::vector<std::pair<long double, long double>>> Converted() const {
    std::vector<ParcelShape> shapes;
    ReadParcelShapes(folder_.File("Dzialki.ed_"), shapes);
    std::map<std::string, std::vector<std::pair<long double, long double>>> byNumber;
    for (const ParcelShape& s : shapes)
      byNumber[s.number] = s.boundary;
    return byNumber;
  }
  JsonValue Run(std::vector<std::string> args, int status) {
    args.insert(args.begin(), "--json");
    args.push_back(folder_.Path());
    const BatchResult r = Batch(args);
    EXPECT_EQ(r.status, status) << r.err;
    const std::optional<JsonValue> json = ParseJson(r.out);
    EXPECT_TRUE(json) << r.out;
    return json.value_or(JsonValue{});
  }

  TestFolder folder_;
  std::vector<ParcelShape> input_;
};

TEST_F(GisFileRun, ParcelsMadeByOgr2ogrComeBackAsTheConvertedMapFile) {
  if (!HaveOgr2ogr()) GTEST_SKIP() << "no ogr2ogr (gdal-bin)";
  std::string csv = "WKT,nr\n";
  for (const ParcelShape& s : input_)
    csv += "\"POLYGON (" + Ring(s.boundary) + ")\"," + s.number + "\n";
  folder_.Write("dzialki.csv", csv);
  const std::string made = folder_.File("dzialki.csv");
  struct Format {
    const char* file;
    const char* driver;
    bool attributes;  // DXF holds no attribute table of its own
  };
  const Format formats[] = {{"dzialki.gpkg", "GPKG", true},
                            {"dzialki.shp", "ESRI Shapefile", true},
                            {"dzialki.dxf", "DXF", false}};
  // GDAL's own route for each, DXF too (which goes in place by default).
  std::vector<std::string> args = {"--gis-via-gdal"};
  for (const Format& f : formats) {
    ASSERT_EQ(std::system(("ogr2ogr -f \"" + std::string(f.driver) + "\" '" + folder_.File(f.file) +
                           "' '" + made + "' > /dev/null 2>&1")
                              .c_str()),
              0)
        << f.file;
    args.push_back("--gis");
    args.push_back(folder_.File(f.file));
  }
  const JsonValue json = Run(args, 0);
  ASSERT_EQ(json["gis"].items.size(), 3u);
  const auto converted = Converted();
  for (std::size_t k = 0; k < 3; ++k) {
    const Format& f = formats[k];
    const JsonValue& g = json["gis"][k];
    EXPECT_EQ(g["format"].text, f.driver);
    EXPECT_EQ(g["epsg"].number, 2178);
    EXPECT_TRUE(g["input_crs"].IsNull()) << f.file;  // ogr2ogr of a CSV states none
    const std::string output = g["output"].text;
    std::string expectedName = f.file;
    expectedName.insert(expectedName.find('.'), "_2000");
    EXPECT_EQ(output, folder_.File(expectedName));
    const auto data = Open(output);
    ASSERT_TRUE(data) << output;
    OGRLayer* layer = data->GetLayer(0);
    ASSERT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(input_.size())) << f.file;
    std::size_t row = 0;
    for (const auto& feature : *layer) {
      const std::string nr =
          f.attributes ? feature->GetFieldAsString("nr") : input_[row].number;  // file order
      ++row;
      ASSERT_TRUE(converted.count(nr)) << f.file << " " << nr;
      const auto& expected = converted.at(nr);
      const OGRGeometry* geometry = feature->GetGeometryRef();
      ASSERT_TRUE(geometry);
      const OGRLinearRing* ring = wkbFlatten(geometry->getGeometryType()) == wkbPolygon
                                      ? geometry->toPolygon()->getExteriorRing()
                                      : nullptr;
      const OGRLineString* line = ring ? static_cast<const OGRLineString*>(ring)
                                       : dynamic_cast<const OGRLineString*>(geometry);
      ASSERT_TRUE(line) << f.file << " " << geometry->getGeometryName();
      EXPECT_EQ(PrintedRing(*line),
                PrintedRing(expected, line->getNumPoints() > 1 &&
                                          IsClockwise(*line) != IsClockwise(expected)))
          << f.file << " " << nr;
    }
    const std::vector<std::string> protocol = Utf8Lines(ReadFile(g["protocol"].text));
    ASSERT_GT(protocol.size(), 5u);
    EXPECT_EQ(protocol[1], " Droga: GDAL (obiekty proste)");
    EXPECT_EQ(protocol[4],
              " Układ pliku wejściowego: nieokreślony - przyjęto układ pierwotny przebiegu");
  }
  // GDAL's own tool reads the GeoPackage as "2000" zone 6 (EPSG:2178), easting first.
  const std::string info =
      CommandOutput("ogrinfo -ro -al -so '" + folder_.File("dzialki_2000.gpkg") + "'");
  EXPECT_NE(info.find("ID[\"EPSG\",2178]]"), std::string::npos) << info;
  EXPECT_NE(info.find("Extent: (7456"), std::string::npos) << info;
}

// Multi-parts, holes and Z through the fit: the same shape, Z untouched, every vertex where
// Dzialki.ed_ puts it.
TEST_F(GisFileRun, PartsHolesAndHeightsStay) {
  std::string multi = "MULTIPOLYGON Z (";
  const auto withZ = [](const std::vector<std::pair<long double, long double>>& boundary, int z) {
    std::string wkt = "(";
    for (std::size_t k = 0; k < boundary.size(); ++k) {
      wkt += k ? ", " : "";
      wkt += textio::Fixed(boundary[k].second, 0, 2) + " " +
             textio::Fixed(boundary[k].first, 0, 2) + " " + std::to_string(z + k) + ".25";
    }
    return wkt + ")";
  };
  multi += "(" + withZ(input_[0].boundary, 100) + "), (" + withZ(input_[1].boundary, 200) + ", " +
           withZ(input_[2].boundary, 300) + "))";
  folder_.Write("obiekty.csv", "WKT,opis\n\"" + multi + "\",dwie części i otwór\n");
  ASSERT_TRUE(!HaveOgr2ogr() ||
              std::system(("ogr2ogr -f GeoJSON '" + folder_.File("obiekty.geojson") + "' '" +
                           folder_.File("obiekty.csv") + "' > /dev/null 2>&1")
                              .c_str()) == 0);
  const std::string input = HaveOgr2ogr() ? "obiekty.geojson" : "obiekty.csv";
  const JsonValue json = Run({"--gis", folder_.File(input)}, 0);
  const auto data = Open(json["gis"][0]["output"].text);
  ASSERT_TRUE(data);
  OGRFeatureUniquePtr feature(data->GetLayer(0)->GetNextFeature());
  ASSERT_TRUE(feature);
  EXPECT_STREQ(feature->GetFieldAsString("opis"), "dwie części i otwór");
  const OGRGeometry* g = feature->GetGeometryRef();
  ASSERT_EQ(g->getGeometryType(), wkbMultiPolygon25D);
  const OGRMultiPolygon* parts = g->toMultiPolygon();
  ASSERT_EQ(parts->getNumGeometries(), 2);
  ASSERT_EQ(parts->getGeometryRef(0)->getNumInteriorRings(), 0);
  ASSERT_EQ(parts->getGeometryRef(1)->getNumInteriorRings(), 1);
  const auto converted = Converted();
  const OGRLinearRing* rings[] = {parts->getGeometryRef(0)->getExteriorRing(),
                                  parts->getGeometryRef(1)->getExteriorRing(),
                                  parts->getGeometryRef(1)->getInteriorRing(0)};
  for (int r = 0; r < 3; ++r) {
    const auto& expected = converted.at(input_[r].number);
    ASSERT_EQ(static_cast<std::size_t>(rings[r]->getNumPoints()), expected.size());
    for (int i = 0; i < rings[r]->getNumPoints(); ++i) {
      EXPECT_EQ(Printed(rings[r]->getX(i)), textio::Fixed(expected[i].second, 0, 2));
      EXPECT_EQ(Printed(rings[r]->getY(i)), textio::Fixed(expected[i].first, 0, 2));
      EXPECT_EQ(rings[r]->getZ(i), 100.0 * (r + 1) + i + 0.25);
    }
  }
}

OGRPolygon Square(double x, double y, double side) {
  OGRLinearRing ring;
  ring.addPoint(x, y);
  ring.addPoint(x + side, y);
  ring.addPoint(x + side, y + side);
  ring.addPoint(x, y + side);
  ring.closeRings();
  OGRPolygon square;
  square.addRing(&ring);
  return square;
}

// The ids of the features whose envelopes meet the window, read one by one.
std::vector<GIntBig> Meeting(OGRLayer& layer, const OGREnvelope& window) {
  std::vector<GIntBig> ids;
  layer.SetSpatialFilter(nullptr);
  for (const auto& feature : layer) {
    const OGRGeometry* g = feature->GetGeometryRef();
    if (!g || g->IsEmpty()) continue;
    OGREnvelope e;
    g->getEnvelope(&e);
    if (e.Intersects(window)) ids.push_back(feature->GetFID());
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::vector<GIntBig> Filtered(OGRLayer& layer, const OGREnvelope& window) {
  std::vector<GIntBig> ids;
  layer.SetSpatialFilterRect(window.MinX, window.MinY, window.MaxX, window.MaxY);
  for (const auto& feature : layer)
    ids.push_back(feature->GetFID());
  layer.SetSpatialFilter(nullptr);
  std::sort(ids.begin(), ids.end());
  return ids;
}

// A GeoPackage's spatial index, filled once after the features: GDAL's own triggers and
// extension row, the R-tree that SQLite's rtreecheck() accepts with one row per feature with
// geometry, the same for any number of threads, and kept right by GDAL afterwards.
TEST_F(GisFileRun, TheSpatialIndexIsGdalsOwnAndFollowsLaterEdits) {
  const std::string input = folder_.File("kwadraty.gpkg");
  double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;  // the demo's box, easting first
  for (const ParcelShape& shape : input_)
    for (const auto& [x, y] : shape.boundary) {
      x0 = std::min(x0, static_cast<double>(y));
      x1 = std::max(x1, static_cast<double>(y));
      y0 = std::min(y0, static_cast<double>(x));
      y1 = std::max(y1, static_cast<double>(x));
    }
  std::mt19937 random(11);
  std::uniform_real_distribution<double> east(x0, x1), north(y0, y1), side(0.5, 20);
  constexpr int kSquares = 9000;  // three batches of the conversion
  {
    // GDAL's own writer, with its own spatial index kept by its triggers.
    GDALDriver* gpkg = GetGDALDriverManager()->GetDriverByName("GPKG");
    std::unique_ptr<GDALDataset> made(gpkg->Create(input.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    ASSERT_TRUE(made);
    OGRLayer* layer = made->CreateLayer("kwadraty", nullptr, wkbPolygon, nullptr);
    OGRFieldDefn nr("nr", OFTInteger);
    layer->CreateField(&nr);
    made->StartTransaction();
    for (int k = 0; k < kSquares + 2; ++k) {
      OGRFeature f(layer->GetLayerDefn());
      f.SetField("nr", k);
      if (k < kSquares) {
        const OGRPolygon square = Square(east(random), north(random), side(random));
        f.SetGeometry(&square);
      } else if (k == kSquares) {
        const OGRPolygon empty;
        f.SetGeometry(&empty);  // empty: no row in the index
      }                         // and the last one has no geometry at all
      ASSERT_EQ(layer->CreateFeature(&f), OGRERR_NONE);
    }
    made->CommitTransaction();
  }
  const char* threads[] = {"1", "3"};
  for (const char* count : threads) {
    SetEnvironment("ZORNAK_THREADS", count);
    Run({"--gis", input, "--gis-out", folder_.File(std::string("watki_") + count + ".gpkg")}, 0);
  }
  ClearEnvironment("ZORNAK_THREADS");
  const std::string one = folder_.File("watki_1.gpkg"), three = folder_.File("watki_3.gpkg");
  const std::string rtree = "rtree_kwadraty_geom";
  EXPECT_EQ(SqlRowsOfFile(one, "SELECT rtreecheck('" + rtree + "')"),
            std::vector<std::string>{"ok"});
  EXPECT_EQ(SqlRowsOfFile(one, "SELECT count(*) FROM " + rtree),
            std::vector<std::string>{std::to_string(kSquares)});
  EXPECT_EQ(SqlRowsOfFile(one, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  for (const char* sql :
       {"SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND name LIKE 'rtree%' "
        "ORDER BY name",
        "SELECT * FROM gpkg_extensions WHERE extension_name = 'gpkg_rtree_index'"}) {
    const std::vector<std::string> gdals = SqlRowsOfFile(input, sql);
    EXPECT_GE(gdals.size(), 1u) << sql;
    EXPECT_EQ(SqlRowsOfFile(one, sql), gdals) << sql;
  }
  // The threads transform, the calling thread writes in input order: the same file.
  for (const std::string& sql :
       {std::string("SELECT fid, nr, hex(geom) FROM kwadraty ORDER BY fid"),
        "SELECT nodeno, hex(data) FROM " + rtree + "_node ORDER BY 1"})
    EXPECT_EQ(SqlRowsOfFile(three, sql), SqlRowsOfFile(one, sql)) << sql;

  std::unique_ptr<GDALDataset> edited(
      GDALDataset::Open(one.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
  ASSERT_TRUE(edited);
  OGRLayer* layer = edited->GetLayer(0);
  ASSERT_TRUE(layer->TestCapability(OLCFastSpatialFilter));
  std::vector<GIntBig> fids;
  for (const auto& feature : *layer)
    fids.push_back(feature->GetFID());
  ASSERT_EQ(layer->DeleteFeature(fids[5]), OGRERR_NONE);
  OGRFeatureUniquePtr moved(layer->GetFeature(fids[6]));
  const OGRPolygon corner = Square(x0, y0, 3), opposite = Square(x1 - 4, y1 - 4, 4);
  moved->SetGeometry(&corner);
  ASSERT_EQ(layer->SetFeature(moved.get()), OGRERR_NONE);
  OGRFeature added(layer->GetLayerDefn());
  added.SetGeometry(&opposite);
  ASSERT_EQ(layer->CreateFeature(&added), OGRERR_NONE);
  for (int q = 0; q < 40; ++q) {
    OGREnvelope window;
    window.MinX = east(random);
    window.MinY = north(random);
    window.MaxX = window.MinX + side(random) * 10;
    window.MaxY = window.MinY + side(random) * 10;
    if (q == 0) {  // the moved feature's new place
      window.MinX = x0 - 1;
      window.MaxX = x0 + 1;
      window.MinY = y0 - 1;
      window.MaxY = y0 + 1;
    }
    ASSERT_EQ(Filtered(*layer, window), Meeting(*layer, window)) << q;
  }
  edited.reset();
  EXPECT_EQ(SqlRowsOfFile(one, "SELECT rtreecheck('" + rtree + "')"),
            std::vector<std::string>{"ok"});
  EXPECT_EQ(SqlRowsOfFile(one, "SELECT count(*) FROM " + rtree),
            std::vector<std::string>{std::to_string(kSquares)});
}

struct BadCase {
  const char* name;
  std::function<std::vector<std::string>(TestFolder&)> prepare;  // the --gis arguments
  int status;
  const char* said;  // the start of the message or problem
  bool outputWritten;
  double written = -1;  // the features written to the first layer; -1: not asked
};

TEST_F(GisFileRun, BadInputGetsOneClearMessageAndNothingHalfWritten) {
  const BadCase cases[] = {
      {"a file GDAL cannot open",
       [](TestFolder& f) {
         f.Write("zepsuty.gpkg", "to nie jest GeoPackage");
         return std::vector<std::string>{"--gis", f.File("zepsuty.gpkg")};
       },
       3, "nie można otworzyć pliku: GDAL nie rozpoznaje w nim danych wektorowych żadnego formatu",
       false},
      {"a GIS file that is not there",
       [](TestFolder& f) {
         return std::vector<std::string>{"--gis", f.File("brak.gpkg")};
       },
       3, "nie można otworzyć pliku: nie ma takiego pliku ani katalogu", false},
      {"a layer without geometry",
       [](TestFolder& f) {
         f.Write("opisy.csv", "nr,opis\n1,a\n2,b\n");
         return std::vector<std::string>{"--gis", f.File("opisy.csv")};
       },
       3, "warstwa opisy bez geometrii", true},
      {"a target that cannot be written",
       [](TestFolder& f) {
         f.Write("p.csv", "WKT,nr\n\"POINT (7456800 5567600)\",1\n");
         return std::vector<std::string>{"--gis", f.File("p.csv"), "--gis-out",
                                         f.File("brak/p.gpkg")};
       },
       5, "nie można zapisywać w folderze", false},
      {"a vertex that comes out infinite",
       [](TestFolder& f) {
         f.Write("z.csv",
                 "WKT,nr\n\"LINESTRING (7456800 5567600, 1e309 5567600)\",1\n"
                 "\"POINT (7456800 5567600)\",2\n\"POINT EMPTY\",3\n");
         return std::vector<std::string>{"--gis", f.File("z.csv"), "--gis-out", f.File("z.gpkg")};
       },
       3, "warstwa z, obiekt 1: współrzędne nieskończone lub nieokreślone: nie zapisano", true, 2},
      {"the input as its own target",
       [](TestFolder& f) {
         f.Write("p.csv", "WKT,nr\n\"POINT (7456800 5567600)\",1\n");
         return std::vector<std::string>{"--gis", f.File("p.csv"), "--gis-out", f.File("p.csv")};
       },
       5, "plik wynikowy jest plikiem wejściowym", false},
  };
  for (const BadCase& c : cases) {
    TestFolder folder;
    folder.CopyDemo();
    std::vector<std::string> args = c.prepare(folder);
    const std::vector<std::string> before = folder.Names();
    args.insert(args.begin(), "--json");
    args.push_back(folder.Path());
    const BatchResult r = Batch(args);
    EXPECT_EQ(r.status, c.status) << c.name << r.err;
    const std::optional<JsonValue> json = ParseJson(r.out);
    ASSERT_TRUE(json) << r.out;
    const JsonValue& g = (*json)["gis"][0];
    const std::string said = g["error"].IsNull() ? g["problems"][0].text : g["error"].text;
    EXPECT_EQ(said.rfind(c.said, 0), 0u) << c.name << ": " << said;
    EXPECT_EQ(!g["output"].IsNull(), c.outputWritten) << c.name;
    if (c.written >= 0) {
      EXPECT_EQ(g["layers"][0]["written"].number, c.written) << c.name;
    }
    // Nothing but the run's own files, the protocol and a complete output: no temporary left.
    for (const std::string& name : folder.Names())
      EXPECT_EQ(name.find(".zornak-tmp-"), std::string::npos) << c.name << ": " << name;
    EXPECT_EQ(folder.Read("p.csv").empty(), !folder.Exists("p.csv"));
  }
  // The summary names the file once, and the system's reason in Polish.
  TestFolder target;
  target.CopyDemo();
  target.Write("p.csv", "WKT,nr\n\"POINT (7456800 5567600)\",1\n");
  const BatchResult unwritable = Batch(
      {"--gis", target.File("p.csv"), "--gis-out", target.File("brak/p.gpkg"), target.Path()});
  EXPECT_EQ(unwritable.status, 5);
  const std::string expected = "Plik GIS " + target.File("p.csv") +
                               ": nie można zapisywać w folderze " + target.File("brak") +
                               ": nie ma takiego pliku ani katalogu";
  EXPECT_NE(unwritable.err.find(expected), std::string::npos) << unwritable.err;
  // Without a fit nothing is converted (exit 4 of the run).
  TestFolder bare;
  bare.Write("p.csv", "WKT,nr\n\"POINT (7456800 5567600)\",1\n");
  const BatchResult none = Batch({"--json", "--gis", bare.File("p.csv"), bare.Path()});
  EXPECT_EQ(none.status, 4);
  EXPECT_FALSE(bare.Exists("p_2000.csv"));
}

}  // namespace

namespace {

// The protocol names every polygon whose area the fit changes by more than 0.01 %. An exact
// similarity of scale k about the polygon multiplies its area by k^2: for k = 1.00025 a
// 100 m square of 10,000 m2 becomes 10,005.000625 m2, +0.0500 % (named); for k = 1.00002,
// +0.0040 % (not named).
TEST_F(GisFileRun, AreaChangesAboveATenThousandthAreNamed) {
  const long double cx = 5567600, cy = 7456800;
  struct AreaCase {
    long double k;
    std::size_t named;
  };
  for (const AreaCase& c : {AreaCase{1.00025L, 1}, AreaCase{1.00002L, 0}}) {
    TPktDostosowania exact;
    int nr = 0;
    for (const auto& [dx, dy] :
         {std::pair{-500.0L, -500.0L}, {-500.0L, 500.0L}, {500.0L, 500.0L}, {500.0L, -500.0L}}) {
      exact.push_back({std::to_string(++nr), cx + dx, cy + dy, cx + c.k * dx, cy + c.k * dy});
    }
    folder_.WriteAdjustmentPoints(exact);
    folder_.Write("kwadrat.csv",
                  "WKT,nr\n\"POLYGON ((7456800 5567600, 7456900 5567600, 7456900 5567700, "
                  "7456800 5567700, 7456800 5567600))\",1\n");
    const JsonValue json =
        Run({"--gis", folder_.File("kwadrat.csv"), "--gis-out", folder_.File("kwadrat.gpkg")}, 0);
    const JsonValue& g = json["gis"][0];
    EXPECT_EQ(static_cast<std::size_t>(g["area_changes"].number), c.named) << c.k;
    const std::vector<std::string> protocol = Utf8Lines(ReadFile(g["protocol"].text));
    const auto heading = std::find(protocol.begin(), protocol.end(),
                                   " ZMIANY POWIERZCHNI WIELOBOKÓW PONAD 0.01 % (m2)");
    ASSERT_NE(heading, protocol.end());
    ASSERT_NE(heading + 1, protocol.end());
    EXPECT_EQ(heading[1], c.named
                              ? "  kwadrat obiekt 1:        10000.00 ->        10005.00    0.0500 %"
                              : "  brak");
  }
}

}  // namespace

namespace {

// Outputs a run did not write are left alone, but those made from another fit are named:
// after a degree-2 run, the degree-1 run's Mapa.gpkg, GIS file and GIS protocol; after the
// degree-1 fit again, none (the same model and the same points are the same fit).
TEST_F(GisFileRun, OutputsOfAnotherFitAreNamedAndLeftAlone) {
  folder_.Write("p.csv", "WKT,nr\n\"POINT (7456800 5567600)\",1\n");
  const JsonValue first =
      Run({"--gpkg", "--gis", folder_.File("p.csv"), "--gis-out", folder_.File("p.gpkg")}, 0);
  EXPECT_TRUE(first["stale_outputs"].items.empty());
  const std::string gpkg = folder_.Read("Mapa.gpkg"), gis = folder_.Read("p.gpkg");
  const std::string protocol = folder_.File("PROTOKOL_GIS_p.csv.txt");
  const std::vector<std::string> lines = Utf8Lines(ReadFile(protocol));
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) {
                           return l.rfind(" Dopasowanie: konforemna 1, m0 0.020", 0) == 0;
                         }),
            lines.end());
  const JsonValue second = Run({"--kind", "2", "--degree", "2"}, 0);
  std::vector<std::string> stale;
  for (const JsonValue& path : second["stale_outputs"].items)
    stale.push_back(path.text);
  EXPECT_EQ(stale, (std::vector<std::string>{folder_.File("Mapa.gpkg"), protocol,
                                             folder_.File("p.gpkg")}));
  EXPECT_EQ(folder_.Read("Mapa.gpkg"), gpkg);
  EXPECT_EQ(folder_.Read("p.gpkg"), gis);
  const BatchResult text = Batch({"--kind", "2", "--degree", "2", folder_.Path()});
  EXPECT_NE(text.out.find("Z poprzedniego przebiegu (inna transformacja, pozostawiony): " +
                          folder_.File("Mapa.gpkg")),
            std::string::npos)
      << text.out;
  EXPECT_TRUE(Run({}, 0)["stale_outputs"].items.empty());
}

}  // namespace
