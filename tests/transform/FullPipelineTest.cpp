// The whole correction as a PROJ pipeline (Transformacja_pelna.proj: horner, then tinshift
// with Korekta.json), applied by PROJ itself, by its cct and by GDAL's ogr2ogr, against the
// run's own final coordinates at every map vertex: within 1 mm.
#include <gtest/gtest.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "bench/CountyGenerator.h"
#include "convert/MapPositions.h"
#include "run/RunProcessing.h"
#include "tests/BatchCall.h"
#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"
#include "textio/NumberForms.h"
#include "textio/NumberReading.h"

namespace {

std::string Pipeline(const TestFolder& folder) {
  for (const std::string& line : Utf8Lines(folder.Read("Transformacja_pelna.proj"))) {
    if (!line.empty() && line[0] != '#') return line;
  }
  return {};
}

class FullPipeline : public testing::Test {
 protected:
  void Run(bool full = true) {
    state_.files.WorkingFolder = folder_.Path();
    state_.files.BuildWorkingFiles();
    window_.request.fullPipeline = full;
    ASSERT_TRUE(RunProcessing(state_, window_.Request(), window_)->started);
    ASSERT_TRUE(state_.Result().Fit().Usable());
  }
  std::vector<MapPosition> Positions() const {
    std::array<bool, kMapFileCount> all;
    all.fill(true);
    return InputMapPositions(state_.files, all);
  }
  // The largest distance between PROJ's result and the run's at every map position.
  double LargestThroughProj() {
    PJ_CONTEXT* context = proj_context_create();
    const std::string folder = folder_.Path();
    const char* paths[] = {folder.c_str()};
    proj_context_set_search_paths(context, 1, paths);
    PJ* operation = proj_create(context, Pipeline(folder_).c_str());
    EXPECT_NE(operation, nullptr) << proj_context_errno_string(context,
                                                               proj_context_errno(context));
    double largest = 0;
    if (!operation) return 1e9;
    const TFittedTransformation& f = state_.Result().Fit();
    for (const auto& [x, y] : Positions()) {
      TransformedPoint t;
      TransformPoint(f, x, y, t);
      const PJ_COORD out = proj_trans(
          operation, PJ_FWD, proj_coord(static_cast<double>(x), static_cast<double>(y), 0, 0));
      largest = std::max(largest, std::hypot(out.xy.x - static_cast<double>(t.Xk),
                                             out.xy.y - static_cast<double>(t.Yk)));
    }
    proj_destroy(operation);
    proj_context_destroy(context);
    return largest;
  }

  TestFolder folder_;
  RecordingWindow window_;
  RunState state_;
};

TEST_F(FullPipeline, TheDemoThroughProjWithinAMillimetre) {
  folder_.CopyDemo();
  Run();
  const auto& tin = state_.Result().Transformation().tin;
  ASSERT_TRUE(tin);
  EXPECT_LE(tin->largestDifference, 0.001L);
  const double largest = LargestThroughProj();
  EXPECT_LE(largest, 0.001);
  std::cout << "demo: " << tin->vertices.size() << " vertices, " << tin->triangles.size()
            << " triangles, Korekta.json " << folder_.Read("Korekta.json").size()
            << " bytes; PROJ against the run: largest " << largest << " m\n";
  const std::vector<std::string> control = Utf8Lines(folder_.Read("Kontrola.tra"));
  bool stated = false;
  for (const std::string& line : control)
    stated = stated ||
             line.rfind("  największa różnica potoku od współrzędnych przebiegu: 0.00", 0) == 0;
  EXPECT_TRUE(stated);

  // cct, in the folder (the pipeline names Korekta.json beside it), over every map pair.
  if (std::system("cct --version > /dev/null 2>&1") != 0 &&
      CommandOutput("command -v cct").empty()) {
    GTEST_SKIP() << "no cct (proj-bin)";
  }
  std::string pairs;
  const std::vector<MapPosition> positions = Positions();
  for (const auto& [x, y] : positions)
    pairs += textio::Fixed(x, 0, 4) + " " + textio::Fixed(y, 0, 4) + "\n";
  folder_.Write("pary.txt", pairs);
  const std::string out = CommandOutput("cd '" + folder_.Path() + "' && cct -d 6 -z 0 -t 0 " +
                                        Pipeline(folder_) + " pary.txt");
  std::istringstream lines(out);
  const TFittedTransformation& f = state_.Result().Fit();
  std::size_t k = 0;
  double worst = 0;
  for (double X, Y, z, t; lines >> X >> Y >> z >> t; ++k) {
    ASSERT_LT(k, positions.size());
    TransformedPoint p;
    TransformPoint(f, positions[k].first, positions[k].second, p);
    worst =
        std::max(worst, std::hypot(X - static_cast<double>(p.Xk), Y - static_cast<double>(p.Yk)));
  }
  EXPECT_EQ(k, positions.size()) << out.substr(0, 500);
  EXPECT_LE(worst, 0.001);

  // ogr2ogr -ct over the map as a GIS layer with no reference system: GDAL then takes the
  // coordinates as they stand, easting first, so the pipeline goes between axis swaps (in a
  // "2000" zone it goes as it stands: the package test runs that command of the README).
  if (CommandOutput("command -v ogr2ogr").empty()) GTEST_SKIP() << "no ogr2ogr (gdal-bin)";
  std::string csv = "nr,X,Y\n";
  for (std::size_t i = 0; i < positions.size(); ++i)
    csv += std::to_string(i) + "," + textio::Fixed(positions[i].second, 0, 4) + "," +
           textio::Fixed(positions[i].first, 0, 4) + "\n";
  folder_.Write("mapa.csv", csv);
  const std::string ct = "+proj=pipeline +step +proj=axisswap +order=2,1 " +
                         Pipeline(folder_).substr(std::string("+proj=pipeline ").size()) +
                         " +step +proj=axisswap +order=2,1";
  ASSERT_EQ(std::system(("cd '" + folder_.Path() +
                         "' && ogr2ogr -f CSV -lco GEOMETRY=AS_XY "
                         "-oo X_POSSIBLE_NAMES=X -oo Y_POSSIBLE_NAMES=Y -ct '" +
                         ct + "' mapa_2000.csv mapa.csv > ogr.log 2>&1")
                            .c_str()),
            0);
  std::istringstream rows(folder_.Read("mapa_2000.csv"));
  std::string row;
  std::getline(rows, row);  // the header: X,Y,nr,...
  double farthest = 0;
  std::size_t n = 0;
  while (std::getline(rows, row)) {
    row.erase(std::remove(row.begin(), row.end(), '"'), row.end());
    // The fields X, Y, nr, read as the map files' numbers are, whatever the C locale.
    std::istringstream fields(row);
    std::string field[3];
    long double e = 0, north = 0, number = 0;
    for (std::string& text : field)
      std::getline(fields, text, ',');
    if (!textio::ParseNumber(field[0], e) || !textio::ParseNumber(field[1], north) ||
        !textio::ParseNumber(field[2], number)) {
      continue;
    }
    const std::size_t nr = static_cast<std::size_t>(number);
    if (nr >= positions.size()) continue;
    TransformedPoint p;
    TransformPoint(f, positions[nr].first, positions[nr].second, p);
    farthest = std::max(farthest, static_cast<double>(std::hypot(north - p.Xk, e - p.Yk)));
    ++n;
  }
  EXPECT_EQ(n, positions.size()) << folder_.Read("ogr.log").substr(0, 600);
  EXPECT_LE(farthest, 0.001);
}

// A folder of 100,000 map positions (50,000 points of PUNKTY.ept) over 2 km, 112 adjustment
// points with a bend and noise of 3 cm: the triangulation still reproduces every position.
TEST_F(FullPipeline, AHundredThousandVerticesThroughProjWithinAMillimetre) {
  CountyShape shape;
  shape.rows = shape.columns = 1;
  shape.parcelsPerSide = 100;
  shape.parcelSide = 20;
  shape.adjustmentPoints = 112;
  folder_.WriteAdjustmentPoints(PrecinctAdjustmentPoints(shape, 0, 0));
  std::mt19937 random(3);
  std::uniform_real_distribution<long double> inside(0, 2000);
  std::string points;
  for (int i = 0; i < 50000; ++i) {
    const long double x = 5560000 + inside(random), y = 7450000 + inside(random);
    std::string line = "P" + std::to_string(i);
    line.resize(20, ' ');
    for (long double v : {x, y, x + 1.5L, y + 1.5L})
      textio::AppendFixed(line, v, 14, 2);
    points += line + "   1\r\n";
  }
  folder_.Write("PUNKTY.ept", points);
  Run();
  const auto& tin = state_.Result().Transformation().tin;
  ASSERT_TRUE(tin);
  EXPECT_EQ(Positions().size(), 100000u);
  const double largest = LargestThroughProj();
  EXPECT_LE(largest, 0.001);
  std::cout << "100,000 positions: " << tin->vertices.size() << " vertices, "
            << tin->triangles.size() << " triangles, Korekta.json "
            << folder_.Read("Korekta.json").size() << " bytes; PROJ against the run: largest "
            << largest << " m\n";
}

TEST_F(FullPipeline, NotAskedForNothingIsWritten) {
  folder_.CopyDemo();
  Run(false);
  EXPECT_FALSE(folder_.Exists("Korekta.json"));
  EXPECT_FALSE(folder_.Exists("Transformacja_pelna.proj"));
  EXPECT_EQ(folder_.Read("Kontrola.tra").find("POTOK PROJ"), std::string::npos);
}

}  // namespace

namespace {

// Korekta.json and Transformacja_pelna.proj describe the fit they were made with, so a run
// with another fit that does not write them removes them and says so; a run without a fit
// converts nothing and leaves them as they are.
TEST_F(FullPipeline, APairOfAnEarlierFitGoesWithTheNextRunThatDoesNotWriteOne) {
  folder_.CopyDemo();
  Run();
  ASSERT_TRUE(folder_.Exists("Korekta.json"));
  EXPECT_TRUE(state_.Result().removedOutputs.empty());
  window_.request.model = {2, 3, 0};
  Run(false);
  EXPECT_FALSE(folder_.Exists("Korekta.json"));
  EXPECT_FALSE(folder_.Exists("Transformacja_pelna.proj"));
  EXPECT_EQ(state_.Result().removedOutputs,
            (std::vector<std::string>{folder_.File("Korekta.json"),
                                      folder_.File("Transformacja_pelna.proj")}));
  Run();
  ASSERT_TRUE(folder_.Exists("Korekta.json"));
  folder_.Remove("TRANSPKT.BIN");
  state_.files.BuildWorkingFiles();
  window_.request.fullPipeline = false;
  RunProcessing(state_, window_.Request(), window_);
  EXPECT_FALSE(state_.Result().Fit().Usable());
  EXPECT_TRUE(folder_.Exists("Korekta.json"));
  EXPECT_TRUE(folder_.Exists("Transformacja_pelna.proj"));
  EXPECT_TRUE(state_.Result().removedOutputs.empty());
}

}  // namespace
