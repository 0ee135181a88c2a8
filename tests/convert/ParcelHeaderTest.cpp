#include "convert/ParcelHeader.h"

#include <gtest/gtest.h>

namespace {

struct HeaderCase {
  std::string line;
  int anchor;
  std::int32_t unit;
  const char* precinct;  // the cells, empty cells left out
  const char* identifier;
  bool defective;
};

TEST(ParcelHeader, AnchorUnitPrecinctAndIdentifier) {
  const HeaderCase cases[] = {
      {"  4.12-345/6", 4, 4, "012", " 4.12-345/6", false},  // the worked example
      {"  12-7", 2, 0, "012", "12-7", false},               // '-' form, no unit
      {"12-7", -1, 0, "12", "12-7", true},                  // begins in column 1
      {" 12-3.5", 1, 0, "012", "12-3.5", false},            // '-' before any '.'
      {"  4.5-12", 4, 4, "005", " 4.5-12", false},
      {"  4.123-9", 4, 4, "123", " 4.123-9", false},
      {"  4.1234-9", 4, 4, "123", " 4.1234-9", false},
      {"  1234-9", 3, 0, "234", " 1234-9", false},
      {"  4.1A-7", 4, 4, "01A", " 4.1A-7", true},
      {"146.0012-15", 4, 146, "001", "46.0012-15", false},
      {" x4.12-1", 4, 0, "012", "x4.12-1", false},                      // unit text not a number
      {"  4.12-1234567890123", 4, 4, "012", " 4.12-123456789", false},  // cut to 15
      {std::string(69, ' ') + ".5-1", 70, 0, "005", " .5-1", false},    // column 70
      {"  4 .12 - 7", 5, 0, "12 ", "4.12-7", true},
  };
  for (const HeaderCase& c : cases) {
    ParcelHeader h;
    ASSERT_TRUE(ReadParcelHeader(c.line, h)) << c.line;
    EXPECT_EQ(h.anchor, c.anchor) << c.line;
    EXPECT_EQ(h.unit, c.unit) << c.line;
    EXPECT_EQ(h.precinct.Text(), c.precinct) << c.line;
    EXPECT_EQ(h.identifier, c.identifier) << c.line;
    EXPECT_EQ(h.precinct.IsDefective(), c.defective) << c.line;
  }
}

TEST(ParcelHeader, FillerLines) {
  for (const std::string& line : {std::string(), std::string("   "), std::string("abc/12 x"),
                                  std::string(70, ' ') + "4.12-7"}) {
    ParcelHeader h;
    EXPECT_FALSE(ReadParcelHeader(line, h)) << line;
  }
}

TEST(ParcelHeader, DefectiveCodesAreShownWithoutLeadingZeros) {
  EXPECT_EQ(PrecinctCode::Of("00A").Shown(), "  A");
  EXPECT_EQ(PrecinctCode::Of("05A").Shown(), " 5A");
  EXPECT_EQ(PrecinctCode::Of("A05").Shown(), "A05");
  EXPECT_FALSE(PrecinctCode::Of("000").IsDefective());
  EXPECT_TRUE(PrecinctCode::Of("0 1").IsDefective());
  PrecinctCode empty;
  empty.cells = {'\0', '1', '2'};
  EXPECT_TRUE(empty.IsDefective());
  EXPECT_EQ(empty.Shown(), "12");
}

}  // namespace
