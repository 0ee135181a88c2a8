#include <gtest/gtest.h>

#include "tests/convert/ConversionFolder.h"

namespace {

using Lines = std::vector<std::string>;

// A record of the given header with a 10 m square boundary at (x, y).
Lines Record(const std::string& header, int x = 5567000, int y = 7456000) {
  auto pair = [](int a, int b) { return std::to_string(a) + ".00 " + std::to_string(b) + ".00"; };
  Lines lines = {header, pair(x, y) + " " + pair(x + 5, y + 5), "5"};
  const int corners[5][2] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
  for (const auto& c : corners) {
    lines.push_back("V                   " + pair(x + c[0], y + c[1]) + " " +
                    pair(x + c[0], y + c[1]));
  }
  return lines;
}

Lines Records(const std::vector<std::string>& headers) {
  Lines all;
  for (const std::string& h : headers) {
    const Lines r = Record(h);
    all.insert(all.end(), r.begin(), r.end());
  }
  return all;
}

// The protocol lines between the heading and the count line.
Lines Body(const Lines& protocol) {
  return Lines(protocol.begin() + 3, protocol.end() - 5);
}

class ParcelPass : public ConversionRun {
 protected:
  void SetUp() override { IdentityTransformation(); }
};

// A unit shown by an earlier run (or an earlier folder of a joint run) never heads the
// index of a file that names none: the run reads nothing back from its window.
TEST_F(ParcelPass, EmptyInput) {
  folder.Write("DZIALKI.edz", "");
  window.counters[Counter::ParcelUnit] = "earlier";
  Run();
  EXPECT_EQ(folder.Read("Dzialki.ed_"), " \r\n");
  EXPECT_EQ(FileLines("Protokol1.txt"),
            (Lines{std::string(62, '_'), " Diagnostyka zbioru DZIALKI.edz",
                   " Sumy częściowe powierzchni dla grup działek lub obrębów",
                   "         0   000 Liczba działek =          0  P =          0.0000  "
                   "P(odred.) =          0.0000",
                   " Liczba działek w pliku    DZIALKI.edz = 0",
                   " Powierzchnia całkowita według .edz  P =          0.0000", std::string(62, '_'),
                   " Tworzenie skorowidzu", " Koniec diagnostyki"}));
  EXPECT_EQ(FileLines("SKO_dzialki.txt"),
            (Lines{" SKOROWIDZ DZIAŁEK/KONTURÓW", " Jednostka ewidencyjna ",
                   "    LP(edz)      NR(edz)       P(edz)     [Xo,Yo] CENTROIDA",
                   "----------------------------------------diagnostyk_edz---------"}));
  EXPECT_EQ(window.counters[Counter::ParcelPrecincts], "0");
  EXPECT_EQ(window.counters[Counter::Parcels], "0");
  EXPECT_EQ(window.counters[Counter::ParcelArea], "0");
}

struct GroupingCase {
  const char* name;
  std::vector<std::string> headers;
  Lines body;      // protocol lines after the unit line and its blank line
  Lines messages;  // before the closing box
};

TEST_F(ParcelPass, PrecinctGroupsAreRuns) {
  const std::string defect = " *** Defektowy numer obrębu: ";
  auto group = [](int ordinal, const char* code, int count, const char* area) {
    std::string line = std::string(9, ' ') + std::to_string(ordinal) + "   " + code +
                       " Liczba działek =          " + std::to_string(count) +
                       "  P =" + std::string(10, ' ') + area;
    return line;
  };
  const GroupingCase cases[] = {
      {"runs",
       {"  1.12-1", "  1.13-2", "  1.12-3"},
       {group(1, "012", 1, "0.0100"), group(2, "013", 1, "0.0100"),
        group(3, "012", 1, "0.0100") + "  P(odred.) =          0.0100"},
       {}},
      {"first record defective",
       {"  1.1A-1"},
       {defect + " 1A zamieniono na 999",
        group(1, "999", 1, "0.0100") + "  P(odred.) =          0.0100"},
       {"*** Defektowy numer obrębu:  1A"}},
      {"three defective codes after 012",
       {"  1.12-1", "  1.A-2", "  1.B-3", "  1.C-4"},
       {group(1, "012", 1, "0.0100"), defect + "  A zamieniono na 999",
        defect + "  B zamieniono na 999", defect + "  C zamieniono na 999",
        group(2, "999", 3, "0.0300") + "  P(odred.) =          0.0300"},
       {"*** Defektowy numer obrębu:   A", "*** Defektowy numer obrębu:   B",
        "*** Defektowy numer obrębu:   C"}},
      {"defective after 009 opens 999",
       {"  1.9-1", "  1.X9-2"},
       {group(1, "009", 1, "0.0100"), defect + " X9 zamieniono na 999",
        group(2, "999", 1, "0.0100") + "  P(odred.) =          0.0100"},
       {"*** Defektowy numer obrębu:  X9"}},
  };
  for (const GroupingCase& c : cases) {
    window.messages.clear();
    WriteLines("DZIALKI.edz", Records(c.headers));
    Run();
    Lines expected = {" Jednostka ewidencyjna nr 1", " "};
    expected.insert(expected.end(), c.body.begin(), c.body.end());
    EXPECT_EQ(Body(FileLines("Protokol1.txt")), expected) << c.name;
    Lines messages = c.messages;
    messages.push_back(" Koniec obliczeń - ZORNAK_EDZ");
    EXPECT_EQ(window.messages, messages) << c.name;
    EXPECT_EQ(window.counters[Counter::Parcels], std::to_string(c.headers.size())) << c.name;
  }
}

TEST_F(ParcelPass, RecordsOfCode000StayInGroupZero) {
  WriteLines("DZIALKI.edz", Records({"  2.0-1", "  3.000-2", "  4.7-3"}));
  Run();
  EXPECT_EQ(Body(FileLines("Protokol1.txt")),
            (Lines{" Jednostka ewidencyjna nr 2", " ", " Jednostka ewidencyjna nr 3", " ",
                   " Jednostka ewidencyjna nr 4", " ",
                   "         1   007 Liczba działek =          1  P =          0.0100  "
                   "P(odred.) =          0.0100"}));
  EXPECT_EQ(window.counters[Counter::ParcelPrecincts], "1");
  EXPECT_EQ(window.counters[Counter::ParcelArea], "0.03");
  EXPECT_EQ(window.counters[Counter::ParcelUnit], "4");
}

TEST_F(ParcelPass, UnreadableNumbersAreReportedAgainstTheirOwnRecord) {
  struct Case {
    const char* name;
    int record, line;  // which record, and which of its lines (1 record line, 3.. vertices)
  };
  const std::string error = " *** Wykryto błąd liczbowy w rekordach działki/konturu";
  for (const Case c : {Case{"first record line", 0, 1}, Case{"vertex of the second", 1, 4},
                       Case{"last vertex of the last", 2, 7}}) {
    Lines lines = Records({"  1.12-1", "  1.12-2", "  1.12-3"});
    std::string& bad = lines[c.record * 8 + c.line];
    bad.replace(bad.find('.'), 1, ",");
    WriteLines("DZIALKI.edz", lines);
    window.messages.clear();
    Run();
    const std::string id = " 1.12-" + std::to_string(c.record + 1);
    const Lines protocol = FileLines("Protokol1.txt");
    EXPECT_EQ(std::count(protocol.begin(), protocol.end(), error + ": " + id), 1) << c.name;
    EXPECT_EQ(window.messages, (Lines{error + " " + id, " Koniec obliczeń - ZORNAK_EDZ"}))
        << c.name;
  }
}

TEST_F(ParcelPass, StatusNamesEveryRecord) {
  WriteLines("DZIALKI.edz", Records({"  1.12-1", "  1.12-2"}));
  Run();
  EXPECT_NE(
      std::find(window.statuses.begin(), window.statuses.end(), "Read line 2 Działka:  1.12-2"),
      window.statuses.end());
  EXPECT_NE(std::find(window.statuses.begin(), window.statuses.end(),
                      " Tworzę skorowidz SKO_ ....txt - proszę czekać"),
            window.statuses.end());
}

TEST_F(ParcelPass, IndexRowsHaveFixedColumns) {
  WriteLines("KONTURY.edz", Records({"111.12-123456789", "111.12-1"}));
  Run();
  const Lines index = FileLines("SKO_kontury.txt");
  ASSERT_EQ(index.size(), 6u);
  EXPECT_EQ(index[1], " Jednostka ewidencyjna 111");
  EXPECT_EQ(index[3], "      1 11.12-123456789        0.0100  5567005.00 7456005.00");
  EXPECT_EQ(index[4], "      2         11.12-1        0.0100  5567005.00 7456005.00");
  EXPECT_EQ(window.counters[Counter::Contours], "2");
}

}  // namespace
