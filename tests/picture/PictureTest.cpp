// The picture of a fit, rendered and looked at as a person would: where a residual vector
// points and how long it is, that north is up, one marker per point and one arrow per
// residual in the SVG, the styles of excluded and flagged points, and an explanation
// instead of a blank picture for folders without a fit.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "picture/FitPicture.h"
#include "tests/TestFolder.h"
#include "textio/Platform.h"
#include "tools/PlotRun.h"

namespace {

using namespace picture_colours;

int Distance(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
         std::abs(a.blue() - b.blue());
}

// The colour, blended by antialiasing at most half way to white.
bool Near(QColor a, QColor b) {
  return Distance(a, b) < 160;
}

// A line one and a half pixels wide on a pixel boundary colours the pixels on both sides.
bool NearAt(const QImage& image, int x, int y, QColor colour) {
  return Near(image.pixelColor(x - 1, y), colour) || Near(image.pixelColor(x, y), colour);
}

PicturePoint Point(const char* nr, long double x, long double y, long double vx, long double vy) {
  PicturePoint p;
  p.nr = nr;
  p.x = x;
  p.y = y;
  p.vx = vx;
  p.vy = vy;
  return p;
}

// Three points 1 km apart; A carries a residual of 10 cm to the north.
FitPictureData ThreePoints() {
  FitPictureData d;
  d.fitted = true;
  d.kind = d.degree = 1;
  d.points = {Point("A", 0, 0, 0.1L, 0), Point("B", 1000, 0, 0, 0), Point("C", 0, 1000, 0, 0)};
  return d;
}

// 1,100 x 500 pixels, the data in the left 800 x 500 at 0.2 px/m centred on A: the view is
// 4,000 m wide; the title block and the legend stand in the 300 pixels on the right.
QImage Render(const FitPictureData& d, PictureView view = {0, 0, 0.2},
              PictureOptions options = {}) {
  QImage image(1100, 500, QImage::Format_RGB32);
  QPainter painter(&image);
  DrawFitPicture(painter, QRectF(0, 0, 1100, 500), d, view, options);
  return image;
}

TEST(Picture, AResidualPointsNorthFromItsPointAtTheStatedMagnification) {
  const FitPictureData d = ThreePoints();
  // An eighth of 4,000 m over the 0.1 m residual is 5,000, a 1-2-5 number already.
  EXPECT_EQ(VectorMagnification(d, 4000), 5000);
  const QImage image = Render(d);
  // A is at the centre (400, 250); 0.1 m x 5,000 x 0.2 px/m = 100 px up, to (400, 150).
  EXPECT_TRUE(NearAt(image, 400, 165, kResidual));
  EXPECT_TRUE(NearAt(image, 400, 200, kResidual));
  EXPECT_TRUE(NearAt(image, 400, 152, kResidual));
  for (QPoint away : {QPoint(400, 330), QPoint(480, 250), QPoint(320, 250), QPoint(400, 130)})
    EXPECT_TRUE(Near(image.pixelColor(away), Qt::white)) << away.x() << "," << away.y();
}

TEST(Picture, NorthIsUpAndEastIsRight) {
  const QImage image = Render(ThreePoints());
  EXPECT_TRUE(Near(image.pixelColor(400, 50), kUsed));   // B: 1 km north = 200 px up
  EXPECT_TRUE(Near(image.pixelColor(600, 250), kUsed));  // C: 1 km east = 200 px right
  EXPECT_TRUE(Near(image.pixelColor(400, 450), Qt::white));
  EXPECT_TRUE(Near(image.pixelColor(200, 250), Qt::white));
  EXPECT_EQ(DataArea(QRectF(0, 0, 1100, 500)), QRectF(0, 0, 800, 500));
}

TEST(Picture, ExcludedPointsAreHollowAndFlaggedOnesRed) {
  FitPictureData d = ThreePoints();
  d.points[1].flagged = true;
  d.points[2].excluded = true;
  const QImage image = Render(d);
  EXPECT_TRUE(Near(image.pixelColor(400, 50), kFlagged));
  EXPECT_TRUE(Near(image.pixelColor(600, 250), Qt::white));  // hollow centre
  EXPECT_TRUE(Near(image.pixelColor(603, 250), kExcluded));  // its ring
}

TEST(Picture, SvgHoldsOneMarkerPerPointAndOneArrowPerResidual) {
  FitPictureData d;
  d.fitted = true;
  for (int i = 0; i < 5; ++i)
    d.points.push_back(Point("P", 100.0L * i, 50.0L * (i % 2), 0.01L * (i + 1), -0.01L));
  QTemporaryDir folder;
  QString error;
  ASSERT_TRUE(SaveFitPicture(folder.filePath("fit.svg"), d, 800, error)) << error.toStdString();
  QFile file(folder.filePath("fit.svg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray svg = file.readAll();
  // Five points and the legend's three marks.
  EXPECT_EQ(svg.count("<circle"), 5 + 3);
  // Every arrow has one filled head: five residuals, the legend's three arrows; the north
  // arrow is the only other filled shape.
  EXPECT_EQ(svg.count("<path"), 5 + 3 + 1);
}

// In a crowd of labels the flagged and the excluded point keep theirs, whatever their place
// in the list; the excluded point shows its control discrepancy, dashed in its own colour.
TEST(Picture, FlaggedAndExcludedPointsAreAlwaysLabelled) {
  FitPictureData d;
  d.fitted = true;
  for (int i = 0; i < 40; ++i)
    d.points.push_back(Point(qPrintable(QString("P%1").arg(i)), 0, 0.001L * i, 0, 0));
  d.points.push_back(Point("ZLY", 0, 0.02L, 0.001L, 0));
  d.points.back().flagged = true;
  d.points.push_back(Point("WYL", 0, 0.03L, 0, 0));
  d.points.back().excluded = true;
  d.points.push_back(Point("DALEKI", 100, 100, 0, 0));
  QTemporaryDir folder;
  QString error;
  ASSERT_TRUE(SaveFitPicture(folder.filePath("fit.svg"), d, 1100, error));
  QFile file(folder.filePath("fit.svg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray svg = file.readAll();
  EXPECT_TRUE(svg.contains(">ZLY<"));
  EXPECT_TRUE(svg.contains(">WYL<"));
  int crowd = 0;
  for (int i = 0; i < 40; ++i)
    crowd += svg.contains(QString(">P%1<").arg(i).toUtf8()) ? 1 : 0;
  EXPECT_LT(crowd, 10);  // the crowd itself loses labels
  EXPECT_TRUE(svg.contains("Legenda"));
}

TEST(Picture, ExcludedPointShowsItsControlDiscrepancy) {
  FitPictureData d = ThreePoints();
  d.points[1].excluded = true;
  d.points[1].hasD = true;
  d.points[1].dx = 0.1L;  // 10 cm north, drawn at the residuals' magnification: 100 px
  const QImage image = Render(d);
  int control = 0;
  for (int y = 0; y < 40; ++y)
    control += Near(image.pixelColor(400, y), kControl) ? 1 : 0;
  EXPECT_GT(control, 5);
}

// The title block and the legend never cover the data: a point in the data area's corner
// stays visible; the shading's scale gives its values in cm.
TEST(Picture, TitleBlockStandsOutsideTheData) {
  FitPictureData d = ThreePoints();
  d.explanation = "Objaśnienie bardzo długie, które zawija się w marginesie obok mapy";
  d.points.push_back(Point("R", -1200, 1900, 0, 0));  // 240 px down, 380 px right of A
  d.corrections.push_back({0, 0, 0.05L, 0});
  const QImage image = Render(d, {0, 0, 0.2}, {true, -1});
  EXPECT_TRUE(Near(image.pixelColor(780, 490), kUsed));
  QTemporaryDir folder;
  QString error;
  ASSERT_TRUE(SaveFitPicture(folder.filePath("fit.svg"), d, 1100, error, {true, -1}));
  QFile file(folder.filePath("fit.svg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("5.0 cm"));
}

// The count of pixels in the explanation's colour: the title block says why.
int ExplanationPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      count += Near(image.pixelColor(x, y), kFlagged) ? 1 : 0;
  }
  return count;
}

TEST(Picture, FoldersWithoutAFitGiveAnExplanation) {
  TestFolder empty;
  FitPictureData d;
  QString error;
  EXPECT_FALSE(LoadFitPicture(empty.Path(), {1, 1, 4}, true, 0, d, error));
  EXPECT_TRUE(error.contains("nie zawiera przebiegu"));
  EXPECT_GT(ExplanationPixels(Render(d, FitView(d, QSizeF(800, 500)))), 20);

  TestFolder failed;
  failed.WriteAdjustmentPoints({{"1", 5567000, 7456000, 5567000.1L, 7456000.1L}});
  ASSERT_TRUE(LoadFitPicture(failed.Path(), {1, 1, 4}, true, 0, d, error));
  EXPECT_FALSE(d.fitted);
  EXPECT_TRUE(d.explanation.startsWith("Brak transformacji"));
  EXPECT_EQ(d.points.size(), 1u);  // the points read are still shown
  EXPECT_GT(ExplanationPixels(Render(d, FitView(d, QSizeF(800, 500)))), 20);
}

// The correction grid is computed on every core: one thread and three give the same
// arrows, node for node.
TEST(Picture, CorrectionGridOnOneThreadAndOnThree) {
  TestFolder folder;
  folder.CopyDemo();
  FitPictureData one, three;
  QString error;
  ASSERT_TRUE(LoadFitPicture(folder.Path(), {1, 1, 4}, false, 1, one, error));
  ASSERT_TRUE(LoadFitPicture(folder.Path(), {1, 1, 4}, false, 3, three, error));
  ASSERT_GT(one.corrections.size(), 100u);
  ASSERT_EQ(one.corrections.size(), three.corrections.size());
  for (std::size_t k = 0; k < one.corrections.size(); ++k) {
    EXPECT_EQ(one.corrections[k].x, three.corrections[k].x);
    EXPECT_EQ(one.corrections[k].y, three.corrections[k].y);
    EXPECT_EQ(one.corrections[k].dx, three.corrections[k].dx);
    EXPECT_EQ(one.corrections[k].dy, three.corrections[k].dy);
  }
}

std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> files;
  // Wide on Windows: the folder's name is Polish.
  for (const auto& entry : std::filesystem::directory_iterator(textio::PathFromUtf8(folder))) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[textio::Utf8FromPath(entry.path().filename())] = bytes.str();
  }
  return files;
}

TEST(Picture, PlotCommandLine) {
  TestFolder run, out;
  run.CopyDemo();
  const auto before = Contents(run.Path());
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const std::string png = out.File("fit.png");
  const Case cases[] = {
      {{run.Path(), png, "--width", "640"}, 0},
      {{run.Path(), out.File("fit.pdf"), "--no-map"}, 0},
      {{out.Path() + "/none", png}, 1},
      {{out.Path(), out.File("x.png")}, 1},    // a folder without a run
      {{run.Path(), out.File("fit.gif")}, 2},  // a kind it cannot write: a wrong command line
      {{run.Path(), out.File("x.jpg")}, 2},
      {{run.Path(), out.File("none/fit.png")}, 1},
      {{run.Path()}, 2},
      {{run.Path(), png, "--width", "9"}, 2},
      {{run.Path(), png, "--bogus"}, 2},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"zornak_plot"};
    for (const std::string& a : c.args)
      argv.push_back(a.c_str());
    std::ostringstream o, e;
    EXPECT_EQ(RunPlot(static_cast<int>(argv.size()), argv.data(), o, e), c.status) << e.str();
    // Every reason in Polish, as the program's other texts.
    EXPECT_EQ(e.str().find("No such file"), std::string::npos) << e.str();
  }
  EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(640, 400));
  EXPECT_TRUE(std::filesystem::exists(textio::PathFromUtf8(out.File("fit.pdf"))));
  EXPECT_EQ(Contents(run.Path()), before);  // nothing written into the working folder
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
