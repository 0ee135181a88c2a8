// A county of generated precincts through zornak_batch: the seams of separate fits, the
// joint fit that closes them, and the refusals of a joint run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "bench/CountyGenerator.h"
#include "core/WorkingFiles.h"
#include "tests/BatchCall.h"
#include "tests/JsonValue.h"
#include "tests/TestFolder.h"
#include "textio/Cp1250.h"
#include "textio/Platform.h"

namespace {

namespace fs = std::filesystem;

// A file of a folder, both UTF-8 (the paths of the program), as the file system takes it.
fs::path Native(const std::string& folder, const std::string& name = {}) {
  const fs::path path = textio::PathFromUtf8(folder);
  return name.empty() ? path : path / textio::PathFromUtf8(name);
}

class CountyRun : public ::testing::Test {
 protected:
  void SetUp() override {
    CountyShape shape;
    shape.parcelsPerSide = 8;
    shape.sharedCornerPoints = true;
    folders_ = WriteCounty(root_.Path(), shape);
  }

  JsonValue RunJson(std::vector<std::string> args, int status) {
    args.push_back("--json");
    const BatchResult r = Batch(args);
    EXPECT_EQ(r.status, status) << r.err;
    const std::optional<JsonValue> json = ParseJson(r.out);
    EXPECT_TRUE(json) << r.out;
    err_ = r.err;
    return json.value_or(JsonValue{});
  }

  TestFolder root_;
  std::vector<std::string> folders_;
  std::string err_;
};

// Every seam pair of the folders' JSON objects, each told under both of its folders.
std::vector<const JsonValue*> Seams(const JsonValue& json) {
  std::vector<const JsonValue*> seams;
  for (const JsonValue& folder : json.items) {
    if (!folder.Has("seams")) continue;
    for (const JsonValue& seam : folder["seams"].items)
      seams.push_back(&seam);
  }
  return seams;
}

TEST_F(CountyRun, SeparateFitsLeaveSeamsAndTheJointFitClosesThem) {
  const JsonValue separate = RunJson({"--recursive", root_.Path()}, 6);
  ASSERT_EQ(separate.items.size(), 4u);
  // A precinct of the 2 x 2 grid borders two others along 9 vertices and the fourth at the
  // centre: 2 x (9 + 9) + 2 x 1 counted from both sides.
  std::int64_t shared = 0;
  std::size_t over = 0;
  for (const JsonValue* seam : Seams(separate)) {
    shared += static_cast<std::int64_t>((*seam)["shared"].number);
    over += (*seam)["over_tolerance"].items.size();
    for (const JsonValue& v : (*seam)["over_tolerance"].items) {
      EXPECT_GT(v["d"].number, 0.01);
      EXPECT_NEAR(
          v["d"].number,
          std::hypot(v["b"][0].number - v["a"][0].number, v["b"][1].number - v["a"][1].number),
          1e-6);
    }
  }
  EXPECT_EQ(shared, 2 * (4 * 9 + 2 * 1));
  EXPECT_GT(over, 0u);
  // The corner points are one point in each precinct that holds them, with one coordinate.
  std::size_t points = 0;
  for (const JsonValue& folder : separate.items) {
    for (const JsonValue& p : folder["shared_adjustment_points"].items) {
      EXPECT_FALSE(p["differs"].boolean) << p["nr"].text;
      ++points;
    }
  }
  // R1_0, R0_1, R1_2 and R2_1 are held by two precincts (a pair each), R1_1 by all four (six
  // pairs); each pair is told under both its folders.
  EXPECT_EQ(points, 2u * (4 + 6));
  const std::vector<std::string> report = Utf8Lines(ReadFile(root_.File("Szwy.txt")));
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report[0], " SZWY MIĘDZY FOLDERAMI ROBOCZYMI");
  EXPECT_TRUE(fs::equivalent(Native(separate.items[0]["seam_report"].text),
                             Native(root_.File("Szwy.txt"))));
  const std::string ownProtocol = ReadFile(folders_[0] + "/Protokol.tra");

  const std::string joint = root_.File("wspolna");
  const JsonValue together = RunJson({"--joint", joint, "--recursive", root_.Path()}, 0);
  ASSERT_EQ(together.items.size(), 5u);
  EXPECT_EQ(together.items[0]["folder"].text, AbsoluteFolder(joint));
  for (const JsonValue* seam : Seams(together)) {
    EXPECT_TRUE((*seam)["over_tolerance"].items.empty());
    EXPECT_LT((*seam)["max"].number, 1e-9);
  }
  const double jointM0 = together.items[0]["transformation"]["m0"].number;
  for (std::size_t k = 1; k < 5; ++k) {
    const JsonValue& folder = together.items[k];
    EXPECT_EQ(folder["transformation"]["m0"].number, jointM0);
    // Beside the joint m0, the folder's own from its separate run.
    EXPECT_EQ(folder["joint"]["own_m0"].number,
              separate.items[k - 1]["transformation"]["m0"].number);
    EXPECT_TRUE(fs::exists(Native(folders_[k - 1], "Dzialki.ed_")));
  }
  for (const char* name :
       {"Protokol.tra", "Kontrola.tra", "xy.tra", "err.tra", "Transformacja.proj"}) {
    EXPECT_TRUE(fs::exists(Native(joint, name))) << name;
  }
  // The folders' own reports stay those of their own fits.
  EXPECT_EQ(ReadFile(folders_[0] + "/Protokol.tra"), ownProtocol);
  const std::vector<std::string> control = Utf8Lines(ReadFile(joint + "/Kontrola.tra"));
  const auto line = std::find_if(control.begin(), control.end(), [](const std::string& l) {
    return l.rfind(" TRANSFORMACJA WSPÓLNA FOLDERÓW: 4, m0 wspólne = ", 0) == 0;
  });
  ASSERT_NE(line, control.end());
  // 12 points of its own and the four corners of each; a corner is brought by the first
  // precinct that holds it.
  EXPECT_EQ(line[2].substr(0, 19), "      16         16");
  EXPECT_EQ(together.items[0]["transformation"]["points_used"].number, 4 * 12 + 9);
}

TEST_F(CountyRun, DisagreeingPointsRefuseTheJointRun) {
  TPktDostosowania points =
      PrecinctAdjustmentPoints(CountyShape{2, 2, 8, 50, 12, 0.03L, true}, 1, 1);
  for (TPkt& p : points) {
    if (p.Nr == "R1_1") p.y2 += 0.05L;
  }
  ASSERT_TRUE(WriteTransPktBIN(folders_[3] + "/TRANSPKT.BIN", "powiat", 0, 0, points));
  const std::string joint = root_.File("wspolna");
  const JsonValue refused = RunJson({"--joint", joint, "--recursive", root_.Path()}, 3);
  for (const std::string& other : {folders_[0], folders_[1], folders_[2]}) {
    const std::string said = "punkt R1_1: różne współrzędne w folderach " + AbsoluteFolder(other) +
                             " i " + AbsoluteFolder(folders_[3]);
    EXPECT_NE(err_.find(said), std::string::npos) << err_;
  }
  EXPECT_FALSE(fs::exists(Native(joint, "Protokol.tra")));
  for (const std::string& folder : folders_)
    EXPECT_FALSE(fs::exists(Native(folder, "Dzialki.ed_"))) << folder;
  // Separately the same data is a seam report's data error.
  const JsonValue separate = RunJson({"--recursive", root_.Path()}, 6);
  bool named = false;
  for (const JsonValue& p : separate.items[3]["shared_adjustment_points"].items)
    named = named || (p["nr"].text == "R1_1" && p["differs"].boolean);
  EXPECT_TRUE(named);
}

TEST_F(CountyRun, AJointRunNeedsItsOwnFolderAndEveryFoldersPoints) {
  RunJson({"--joint", folders_[2], folders_[0], folders_[2]}, 2);
  EXPECT_FALSE(fs::exists(Native(folders_[2], "Protokol.tra")));
  fs::remove(Native(folders_[1], "TRANSPKT.BIN"));
  RunJson({"--joint", root_.File("wspolna"), folders_[0], folders_[1]}, 4);
  EXPECT_NE(err_.find("brak pliku TRANSPKT.BIN w folderze " + AbsoluteFolder(folders_[1])),
            std::string::npos)
      << err_;
  EXPECT_FALSE(fs::exists(Native(folders_[0], "Dzialki.ed_")));
}

TEST_F(CountyRun, TheSeamReportGoesWhereAskedAndItsFailureIsExitFive) {
  const std::string named = root_.File("granice.txt");
  RunJson({"--seams", named, "--seam-tolerance", "0.5", folders_[0], folders_[1]}, 0);
  EXPECT_TRUE(fs::exists(Native(named)));
  RunJson({"--seams", root_.File("brak/Szwy.txt"), folders_[0], folders_[1]}, 5);
  // Folders that cannot be used share no seam: no report, and none in the current folder.
  const std::string unused = root_.File("nieuzyte.txt");
  RunJson({"--seams", unused, folders_[0], root_.File("brak")}, 1);
  RunJson({"--seams", unused, root_.File("brak"), root_.File("brak2")}, 1);
  EXPECT_FALSE(fs::exists(Native(unused)));
  // One folder has no seams: its summary is as before.
  const JsonValue one = RunJson({folders_[0]}, 0);
  EXPECT_FALSE(one.Has("seams"));
  EXPECT_FALSE(one.Has("joint"));
}

}  // namespace

namespace {

// The summary of several folders gives each folder's final status in its own line and in
// the closing table alike: the seams over the tolerance make every folder 6.
TEST_F(CountyRun, EachFoldersLineGivesItsFinalStatus) {
  const BatchResult r = Batch({"--recursive", root_.Path()});
  ASSERT_EQ(r.status, 6) << r.err;
  for (const std::string& folder : folders_) {
    const std::string line = AbsoluteFolder(folder) + ": 6 - punkty podejrzane";
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_EQ(r.out.find(AbsoluteFolder(folder) + ": 0 - "), std::string::npos) << r.out;
  }
}

}  // namespace
