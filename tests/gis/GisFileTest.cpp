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
#include <sstream>

#include "convert/MapGeometry.h"
#include "tests/BatchCall.h"
#include "tests/JsonValue.h"
#include "tests/TestFolder.h"
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
  std::vector<std::string> args;
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
    ASSERT_GT(protocol.size(), 4u);
    EXPECT_EQ(protocol[3],
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

struct BadCase {
  const char* name;
  std::function<std::vector<std::string>(TestFolder&)> prepare;  // the --gis arguments
  int status;
  const char* said;  // the start of the message or problem
  bool outputWritten;
};

TEST_F(GisFileRun, BadInputGetsOneClearMessageAndNothingHalfWritten) {
  const BadCase cases[] = {
      {"a file GDAL cannot open",
       [](TestFolder& f) {
         f.Write("zepsuty.gpkg", "to nie jest GeoPackage");
         return std::vector<std::string>{"--gis", f.File("zepsuty.gpkg")};
       },
       3, "nie można otworzyć pliku GIS", false},
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
    // Nothing but the run's own files, the protocol and a complete output: no temporary left.
    for (const std::string& name : folder.Names())
      EXPECT_EQ(name.find(".zornak-tmp-"), std::string::npos) << c.name << ": " << name;
    EXPECT_EQ(folder.Read("p.csv").empty(), !folder.Exists("p.csv"));
  }
  // Without a fit nothing is converted (exit 4 of the run).
  TestFolder bare;
  bare.Write("p.csv", "WKT,nr\n\"POINT (7456800 5567600)\",1\n");
  const BatchResult none = Batch({"--json", "--gis", bare.File("p.csv"), bare.Path()});
  EXPECT_EQ(none.status, 4);
  EXPECT_FALSE(bare.Exists("p_2000.csv"));
}

}  // namespace
