#include "transform/UPKTBIN.h"

#include <gtest/gtest.h>

#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"
#include "tools/AdjustmentLists.h"

#include <sstream>

namespace {

std::string Int32(std::int32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i)
    s[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return s;
}

std::string Real(long double v) {
  return std::string(reinterpret_cast<const char*>(&v), 10);
}

std::string Record(const std::string& name, long double x1, long double y1, long double x2,
                   long double y2) {
  return Int32(static_cast<std::int32_t>(name.size())) + name + Real(x1) + Real(y1) + Real(x2) +
         Real(y2);
}

std::string Header(std::int32_t count) {
  return Int32(3) + "hdr" + Int32(7) + Int32(8) + Int32(count);
}

struct ReadCase {
  const char* name;
  std::string bytes;
  int status;
  std::size_t entries;
  std::size_t complete;  // entries read whole, first to last
};

TEST(Upktbin, ReadsEveryCaseOfTheFile) {
  const std::string r1 = Record("101", 1.5L, 2.5L, 3.5L, 4.5L);
  const std::string r2 = Record("102", 5, 6, 7, 8);
  const ReadCase cases[] = {
      {"two records", Header(2) + r1 + r2, 0, 2, 2},
      {"bytes after the last record", Header(2) + r1 + r2 + "junk", 0, 2, 2},
      {"no records", Header(0), 0, 0, 0},
      {"negative count", Header(-1) + r1, 1, 0, 0},
      {"more than 200000 records", Header(200001) + r1, 1, 0, 0},
      {"file ends in the header", Header(2).substr(0, 13), 1, 0, 0},
      {"file ends in a record", Header(2) + r1 + r2.substr(0, 20), 1, 2, 1},
      {"count larger than the file", Header(5) + r1, 1, 5, 1},
      {"name longer than the file", Header(1) + Int32(2000000000) + "abc", 1, 1, 0},
      {"empty file", "", 1, 0, 0},
  };
  TestFolder folder;
  for (const ReadCase& c : cases) {
    folder.Write("TRANSPKT.BIN", c.bytes);
    TPktDostosowania list(3);
    std::string header;
    std::int32_t n1 = 0, n2 = 0;
    EXPECT_EQ(TPktBIN().CzytajBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, list), c.status)
        << c.name;
    ASSERT_EQ(list.size(), c.entries) << c.name;
    for (std::size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].Nr.empty(), i >= c.complete) << c.name << " entry " << i;
    }
    if (c.complete > 0) {
      EXPECT_EQ(list[0].Nr, "101");
      EXPECT_EQ(list[0].y2, 4.5L);
      EXPECT_EQ(header, "hdr");
      EXPECT_EQ(n1, 7);
      EXPECT_EQ(n2, 8);
    }
  }
}

TEST(Upktbin, NonPositiveNameLengthIsTheEmptyName) {
  TestFolder folder;
  folder.Write("TRANSPKT.BIN", Header(2) + Int32(0) + Real(1) + Real(2) + Real(3) + Real(4) +
                                   Int32(-5) + Real(5) + Real(6) + Real(7) + Real(8));
  TPktDostosowania list;
  std::string header;
  std::int32_t n1, n2;
  ASSERT_EQ(TPktBIN().CzytajBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, list), 0);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].Nr, "");
  EXPECT_EQ(list[1].x1, 5);
}

TEST(Upktbin, WrittenFileReadsBackBitForBit) {
  TestFolder folder;
  const TPktDostosowania points = {{"PD-1", 5567187.63L, 7456407.32L, 5567187.78L, 1 / 3.0L},
                                   {"name of more than 16 chars", -1e-300L, 0, 1e300L, -0.0L}};
  ASSERT_TRUE(WriteTransPktBIN(folder.File("TRANSPKT.BIN"), "h", 1, 2, points));
  EXPECT_EQ(folder.Read("TRANSPKT.BIN").size(), 4 + 1 + 12 + 2 * 44 + 4 + 26);
  TPktDostosowania list;
  std::string header;
  std::int32_t n1, n2;
  ASSERT_EQ(TPktBIN().CzytajBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, list), 0);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].Nr, points[1].Nr);
  EXPECT_EQ(list[0].y2, points[0].y2);
  EXPECT_EQ(list[1].x1, points[1].x1);
}

TEST(Upktbin, FailedReadShowsItsMessageOnce) {
  TestFolder folder;
  RecordingWindow window;
  TPktDostosowania list;
  std::string header;
  std::int32_t n1, n2;
  TPktBIN().WczytajBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, list, window);
  EXPECT_EQ(window.messages, std::vector<std::string>{"Błąd odczytu pliku TRANSPKT.BIN"});
  folder.Write("TRANSPKT.BIN", Header(0));
  TPktBIN().WczytajBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, list, window);
  EXPECT_EQ(window.messages.size(), 1u);
}

}  // namespace

namespace {

// zornak_transpkt: the lists paired by number, a repeated number named, success counted on
// standard output; a target that cannot be written leaves no file, with the reason.
TEST(TranspktFromLists, PairsWarnsAndCounts) {
  TestFolder folder;
  folder.Write("xy1", "1 100.5 200.5\r\n2 300 400\r\n2 301 401\r\n9 5 5\r\n");
  folder.Write("xy2", "2 310 410\r\n1 110.5 210.5\r\n");
  std::ostringstream out, err;
  ASSERT_EQ(
      MakeTransPkt(folder.File("xy1"), folder.File("xy2"), folder.File("TRANSPKT.BIN"), out, err),
      0);
  EXPECT_EQ(out.str(), "zapisano 3 punktów do " + folder.File("TRANSPKT.BIN") + "\n");
  const std::string said = err.str();
  EXPECT_NE(said.find("uwaga: numer 2 powtarza się w " + folder.File("xy1")), std::string::npos)
      << said;
  EXPECT_NE(said.find("punkt 9 z " + folder.File("xy1") + " nie ma pary"), std::string::npos);
  TPktDostosowania read;
  std::string header;
  std::int32_t n1 = 0, n2 = 0;
  ASSERT_EQ(TPktBIN().CzytajBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, read), 0);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0].Nr, "1");
  EXPECT_EQ(read[0].x2, 110.5L);
  EXPECT_EQ(read[1].Nr, "2");
  EXPECT_EQ(read[2].x1, 301);

  std::ostringstream out2, err2;
  const std::string missing = folder.File("brak") + "/TRANSPKT.BIN";
  EXPECT_EQ(MakeTransPkt(folder.File("xy1"), folder.File("xy2"), missing, out2, err2), 1);
  EXPECT_EQ(out2.str(), "");
  EXPECT_NE(err2.str().find("nie można zapisać pliku " + missing + ": "), std::string::npos)
      << err2.str();
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"TRANSPKT.BIN", "xy1", "xy2"}));
}

}  // namespace
