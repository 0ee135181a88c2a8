// The union of a joint fit and its folder, worked by hand: which records each folder brings,
// and when the joint folder is one of the folders however it is spelt.
#include "county/JointFit.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "county/CountyRun.h"
#include "county/SeamReport.h"
#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr long double kX = 5567000, kY = 7456000;

TPkt Point(const char* nr, long double dx, long double dy) {
  return {nr, kX + dx, kY + dy, kX + dx + 0.25L, kY + dy - 0.5L};
}

std::shared_ptr<const TransformationInput> Input(const TPktDostosowania& points) {
  auto input = std::make_shared<TransformationInput>();
  input->opened = true;
  input->points = points;
  input->recordsDeclared = static_cast<std::int32_t>(points.size());
  return input;
}

// A number an earlier folder holds is that folder's point; a number repeated inside one
// folder is that folder's own matter (the matching reports its repetitions) and stays.
TEST(JointUnion, AnEarlierFoldersNumberIsTakenOnceARepeatWithinAFolderStays) {
  const auto first = Input({Point("1", 0, 0), Point("2", 100, 0), Point("3", 0, 100)});
  const auto second =
      Input({Point("3", 0, 100), Point("4", 100, 100), Point("4", 100, 100), Point("5", 50, 50)});
  TestFolder joint;
  const JointInput union_ =
      JoinAdjustmentPoints({"a", "b"}, {first, second}, {0.01L, std::nullopt}, joint.Path());
  ASSERT_TRUE(union_.input) << (union_.problems.empty() ? "" : union_.problems[0]);
  const TPktDostosowania& points = union_.input->points;
  std::vector<std::string> numbers;
  for (const TPkt& p : points)
    numbers.push_back(p.Nr);
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3", "4", "4", "5"}));
  EXPECT_EQ(union_.input->recordsDeclared, 6);
  ASSERT_EQ(union_.input->joint.size(), 2u);
  EXPECT_EQ(union_.input->joint[0].records, 3);
  EXPECT_EQ(union_.input->joint[0].added, 3);
  EXPECT_EQ(union_.input->joint[1].records, 4);
  EXPECT_EQ(union_.input->joint[1].added, 3);
  EXPECT_EQ(union_.input->joint[0].ownM0, 0.01L);
  EXPECT_FALSE(union_.input->joint[1].ownM0);
}

// The joint folder must not be one of the folders, whether either is given absolute,
// relative to the current folder, or with a trailing separator: the joint reports would
// take the place of that folder's own.
TEST(JointUnion, TheJointFolderIsNoneOfTheFoldersHoweverSpelt) {
  TestFolder parent;
  fs::create_directories(parent.Native("obreb"));
  fs::create_directories(parent.Native("inny"));
  const fs::path was = fs::current_path();
  fs::current_path(parent.Native());
  const std::string absolute = parent.File("obreb");
  struct Case {
    const char* name;
    std::string joint;
    std::vector<std::string> folders;
  };
  const Case cases[] = {
      {"relative joint, absolute folder", "obreb", {parent.File("inny"), absolute}},
      {"absolute joint, relative folder", absolute, {"inny", "obreb"}},
      {"trailing separator", absolute + "/", {absolute, parent.File("inny")}},
      {"through the current folder", "./obreb", {"inny", "obreb"}},
  };
  for (const Case& c : cases) {
    RecordingWindow events;
    const PreparedJoint p = PrepareJoint(c.folders, c.joint, {1, 1, 4}, 1, events);
    EXPECT_FALSE(p.joint.input) << c.name;
    ASSERT_EQ(p.joint.problems.size(), 1u) << c.name;
    EXPECT_NE(p.joint.problems[0].find("jest jednym z łączonych folderów"), std::string::npos)
        << c.name;
    EXPECT_TRUE(p.inputs.empty()) << c.name;  // nothing read, nothing written
  }
  fs::current_path(was);
  EXPECT_FALSE(fs::exists(parent.Native("obreb/Protokol.tra")));
}

// Szwy.txt numbers the folders from 1 in its list, in every pair line, in the column titles
// of the vertices over the tolerance and in the shared adjustment points.
TEST(SeamReport, PairLinesNumberTheFoldersAsTheListDoes) {
  SeamFindings f;
  f.positions = 40;
  Seam seam;
  seam.a = 1;
  seam.b = 2;
  seam.shared = 3;
  seam.max = 0.25L;
  seam.rms = 0.125L;
  seam.overTolerance.push_back({kX, kY, kX + 0.5L, kY, kX + 0.25L, kY, 0.25L});
  f.seams.push_back(seam);
  Seam closed;
  closed.a = 0;
  closed.b = 1;
  closed.shared = 1;
  f.seams.push_back(closed);
  f.adjustmentPoints.push_back({0, 2, PointNumber("7"), 0.002L, 0, 0, 0, true});
  const std::vector<std::string> lines = SeamReportLines(f, {"A", "B", "C"}, 0.01L);
  const std::vector<std::string> expected = {
      " SZWY MIĘDZY FOLDERAMI ROBOCZYMI",
      " Folderów: 3, wierzchołków mapy: 40, tolerancja: 0.010 m",
      " ",
      "   1  A",
      "   2  B",
      "   3  C",
      " ________________________________________________________________________________________",
      " Foldery 2 i 3: wspólnych wierzchołków 3, max 0.2500 m, RMS 0.1250 m, ponad tolerancję 1",
      "              x              y          X (2)          Y (2)          X (3)          Y (3)"
      "     d [m]",
      "    5567000.000    7456000.000    5567000.500    7456000.000    5567000.250    7456000.000"
      "    0.2500",
      " ",
      " Foldery 1 i 2: wspólnych wierzchołków 1, max 0.0000 m, RMS 0.0000 m, ponad tolerancję 0",
      " Wszystkie wspólne wierzchołki w tolerancji 0.010 m",
      " ",
      " ________________________________________________________________________________________",
      " WSPÓLNE PUNKTY DOSTOSOWANIA (różnice współrzędnych: drugi folder - pierwszy)",
      " folder folder  Nr                   dx1       dy1       dx2       dy2",
      "      1      3  7                    0.002     0.000     0.000     0.000  *** BŁĄD DANYCH: "
      "różne współrzędne tego samego punktu",
  };
  EXPECT_EQ(lines, expected);
}

}  // namespace
