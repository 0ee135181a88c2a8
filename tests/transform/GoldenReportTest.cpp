// The five report files of a small hand-checked run, byte for byte. The folder's path in
// the report header stands as @FOLDER@ in the expected file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/transform/TransformTestFolder.h"
#include "textio/Cp1250.h"

namespace {

std::string Expected(const std::string& name, const std::string& folder) {
  std::ifstream in(std::string(ZORNAK_TEST_DATA) + "/golden/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string bytes = text.str();
  const std::string mark = "@FOLDER@";
  if (const auto at = bytes.find(mark); at != std::string::npos) {
    bytes.replace(at, mark.size(), textio::Utf8ToCp1250(folder));
  }
  return bytes;
}

// Six records: five adjustment points of "2000"-system magnitude and a repeat of point 3.
// Every printed figure was checked against an exact rational least-squares computation on
// the same 80-bit inputs, centroids and scale; the exceptions are a[0] and b[0], which are
// zero up to one unit in the last place of the coordinates, and the 15th digit of their
// mean errors, below what residuals of 80-bit coordinates can carry.
TPktDostosowania GoldenPoints() {
  return {{"1", 5567001.37L, 7456002.11L, 5567001.5213L, 7456001.8947L},
          {"2", 5567013.52L, 7456871.93L, 5567013.6391L, 7456871.7162L},
          {"3", 5567642.18L, 7456033.74L, 5567642.3197L, 7456033.5279L},
          {"4", 5567718.06L, 7456790.45L, 5567718.1988L, 7456790.2335L},
          {"3", 5567642.183L, 7456033.736L, 5567642.3197L, 7456033.5279L},
          {"5", 5567355.71L, 7456420.68L, 5567355.8436L, 7456420.4702L}};
}

TEST_F(TransformRun, GoldenReportFiles) {
  folder.WriteAdjustmentPoints(GoldenPoints());
  Run();
  for (const char* name : {"Protokol.tra", "xy.tra", "xy_sk.tra", "xy_sk1.tra", "err.tra"}) {
    EXPECT_EQ(folder.Read(name), Expected(name, folder.Path())) << name;
  }
}

// Thirty points, one of them moved a quarter of a metre: both searches propose that point
// alone, so Kontrola.tra is the very file the program wrote before it had the robust search
// (kept here as that program wrote it).
TEST_F(TransformRun, OneBlunderKeepsKontrolaAsItWas) {
  std::ifstream in(std::string(ZORNAK_TEST_DATA) + "/golden/one_blunder/TRANSPKT.BIN",
                   std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  folder.Write("TRANSPKT.BIN", bytes.str());
  Run();
  ASSERT_TRUE(state.Result().robust.computed);
  EXPECT_FALSE(state.Result().robustProposal);
  EXPECT_EQ(folder.Read("Kontrola.tra"), Expected("one_blunder/Kontrola.tra", folder.Path()));
}

// The Windows comparison runs both builds on a folder with these points; its file must hold
// exactly them.
TEST(GoldenFolder, AdjustmentPointFileHoldsTheGoldenPoints) {
  std::string header;
  std::int32_t number1 = 0, number2 = 0;
  TPktDostosowania read;
  TPktBIN file;
  ASSERT_EQ(file.CzytajBIN(std::string(ZORNAK_TEST_DATA) + "/golden/TRANSPKT.BIN", header, number1,
                           number2, read),
            0);
  const TPktDostosowania golden = GoldenPoints();
  ASSERT_EQ(read.size(), golden.size());
  for (std::size_t i = 0; i < golden.size(); ++i) {
    EXPECT_EQ(read[i].Nr, golden[i].Nr);
    EXPECT_EQ(read[i].x1, golden[i].x1);
    EXPECT_EQ(read[i].y1, golden[i].y1);
    EXPECT_EQ(read[i].x2, golden[i].x2);
    EXPECT_EQ(read[i].y2, golden[i].y2);
  }
}

}  // namespace
