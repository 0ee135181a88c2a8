// Adjustment points exchanged with QGIS's georeferencer: a .points file in each of its two
// layouts imported (TRANSPKT.BIN northing first, Wykluczone.txt of the disabled points),
// run, written back by zornak_batch --points and imported again gives the same two files;
// a faulty line is named with its number.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <sstream>

#include "tests/BatchCall.h"
#include "tests/JsonValue.h"
#include "tests/TestFolder.h"
#include "transform/QgisPoints.h"

namespace {

// Eight points over 2 km, the secondary a shift of the primary with some centimetres.
std::string PointsFile(char separator, bool crs, bool older) {
  const char s = separator;
  std::string text = crs ? "#CRS: PROJCRS[\"ETRF2000-PL / CS2000/21\",BASEGEOGCRS[]]\n" : "";
  text += older ? std::string("mapX") + s + "mapY" + s + "pixelX" + s + "pixelY" + s + "enable\n"
                : std::string("mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n");
  const double east[] = {7456100.25,  7457300.5, 7458100.75, 7456500.0,
                         7457700.125, 7458000.0, 7456900.5,  7457400.25};
  const double north[] = {5567100.5, 5567200.25, 5567900.0, 5568300.75,
                          5568600.5, 5568100.25, 5567700.0, 5567500.5};
  for (int k = 0; k < 8; ++k) {
    std::ostringstream line;
    line.precision(12);
    line << east[k] - 0.21 + 0.01 * (k % 3) << s << north[k] + 0.13 - 0.01 * (k % 2) << s << east[k]
         << s << north[k] << s << (k == 2 ? 0 : 1);
    if (!older) line << s << "0" << s << "0" << s << "0";
    text += line.str() + "\n";
  }
  return text;
}

TEST(QgisPoints, EachLayoutRoundTripsToTheSameAdjustmentPointsAndExclusions) {
  struct Layout {
    const char* what;
    std::string text;
  };
  const Layout layouts[] = {{"comma, with #CRS", PointsFile(',', true, false)},
                            {"tab, older", PointsFile('\t', false, true)}};
  for (const Layout& l : layouts) {
    TestFolder folder;
    folder.Write("gcp.points", l.text);
    std::ostringstream out, err;
    ASSERT_EQ(ImportQgisPoints(folder.File("gcp.points"), folder.File("TRANSPKT.BIN"), out, err), 0)
        << err.str();
    // Northing first, numbered in file order; the third point disabled.
    const QgisPoints read = ParseQgisPoints(l.text);
    ASSERT_EQ(read.points.size(), 8u);
    EXPECT_EQ(read.points[0].Nr, "1");
    EXPECT_EQ(static_cast<double>(read.points[0].x1), 5567100.5);
    EXPECT_EQ(static_cast<double>(read.points[0].y1), 7456100.25);
    EXPECT_NEAR(static_cast<double>(read.points[0].x2), 5567100.63, 1e-9);
    EXPECT_NEAR(static_cast<double>(read.points[0].y2), 7456100.04, 1e-9);
    EXPECT_EQ(folder.Read("Wykluczone.txt"), "3\r\n");
    const std::string transpkt = folder.Read("TRANSPKT.BIN");
    const BatchResult run = Batch({"--points", "z_powrotem.points", folder.Path()});
    ASSERT_TRUE(folder.Exists("z_powrotem.points")) << run.out << run.err;
    const std::string back = folder.Read("z_powrotem.points");
    EXPECT_NE(back.find("\n"), std::string::npos);
    EXPECT_NE(back.find(",0,"), std::string::npos) << back;  // the disabled point
    folder.Remove("Wykluczone.txt");
    ASSERT_EQ(
        ImportQgisPoints(folder.File("z_powrotem.points"), folder.File("TRANSPKT.BIN"), out, err),
        0)
        << err.str();
    EXPECT_EQ(folder.Read("TRANSPKT.BIN"), transpkt) << l.what;
    EXPECT_EQ(folder.Read("Wykluczone.txt"), "3\r\n") << l.what;
  }
}

// The residuals written back are the run's: secondary minus model, easting then northing.
TEST(QgisPoints, TheResidualsWrittenAreTheRunsAndAFaultyLineIsNamed) {
  const QgisPoints bad = ParseQgisPoints(
      "mapX,mapY,sourceX,sourceY,enable\n7456100,5567100,7456100.2,5567100.1,1\n"
      "7456x00,5567100,7456100.2,5567100.1,1\n7456100,5567100,7456100.2,5567100.1,2\n"
      "7456100,5567100\n");
  EXPECT_EQ(bad.problems, (std::vector<std::string>{"wiersz 3: współrzędna nie jest liczbą",
                                                    "wiersz 4: enable nie jest 0 ani 1",
                                                    "wiersz 5: za mało kolumn"}));
  // The demo: each line's dX, dY are the JSON's vy, vx of the point at its source position.
  TestFolder demo;
  demo.CopyDemo();
  const BatchResult run = Batch({"--json", "--points", "q.points", demo.Path()});
  const std::optional<JsonValue> json = ParseJson(run.out);
  ASSERT_TRUE(json);
  std::istringstream lines(demo.Read("q.points"));
  std::string line;
  std::getline(lines, line);  // the header
  int matched = 0;
  while (std::getline(lines, line)) {
    std::vector<double> v;
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, ',');) {
      double value = NAN;  // the tests run in a Polish locale: <charconv> knows none
      std::from_chars(f.data(), f.data() + f.size(), value);
      v.push_back(value);
    }
    ASSERT_EQ(v.size(), 8u);
    for (const JsonValue& p : (*json)["adjustment_points"].items) {
      if (std::fabs(p["x1"].number - v[3]) > 1e-6 || std::fabs(p["y1"].number - v[2]) > 1e-6 ||
          p["excluded"].boolean) {
        continue;
      }
      EXPECT_NEAR(v[5], p["vy"].number, 1e-12);
      EXPECT_NEAR(v[6], p["vx"].number, 1e-12);
      EXPECT_EQ(v[4], 1);
      ++matched;
    }
  }
  EXPECT_EQ(matched, 36);
  TestFolder folder;
  folder.Write("zly.points", "mapX,mapY\n1,2\n");
  std::ostringstream out, err;
  EXPECT_EQ(ImportQgisPoints(folder.File("zly.points"), folder.File("TRANSPKT.BIN"), out, err), 3);
  EXPECT_FALSE(folder.Exists("TRANSPKT.BIN"));
  EXPECT_NE(err.str().find("wiersz 1: nagłówek bez kolumn"), std::string::npos) << err.str();
}

}  // namespace
