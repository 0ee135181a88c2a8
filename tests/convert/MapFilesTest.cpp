// Whole runs over working folders: the golden folders, the driver's decisions, the point,
// layer and object files' own rules, and bad input.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "tests/convert/ConversionFolder.h"
#include "textio/NumberForms.h"
#include "textio/TextFile.h"
#include "transform/TransformPoint.h"

namespace {

using Lines = std::vector<std::string>;

const char* const kOutputs[] = {"Dzialki.ed_",   "Protokol1.txt", "SKO_dzialki.txt",
                                "Kontury.ed_",   "Protokol2.txt", "SKO_kontury.txt",
                                "Punkty.ep_",    "Protokol3.txt", "Warstwy.tx_",
                                "Protokol4.txt", "OBIEKTY.tx_",   "PROTOKOL5.txt"};

void ExpectGolden(const TestFolder& folder, const std::string& expected) {
  for (const char* name : kOutputs) {
    EXPECT_EQ(folder.Read(name), ReadFile(expected + "/" + name)) << name;
  }
}

// Hand-checked: with the identity transformation every number is the input's, rounded
// to its field.
TEST_F(ConversionRun, GoldenIdentityFolder) {
  CopyFrom(std::string(ZORNAK_TEST_DATA) + "/convert/identity");
  Run();
  ExpectGolden(folder, std::string(ZORNAK_TEST_DATA) + "/convert/identity-expected");
  EXPECT_EQ(window.counters[Counter::Points], "5");
  EXPECT_EQ(window.counters[Counter::LayerPoints], "9");
  EXPECT_EQ(window.counters[Counter::ObjectPoints], "4");
  EXPECT_EQ(window.counters[Counter::ParcelArea], "1.125");
}

// A real transformation: the demo folder.
TEST_F(ConversionRun, GoldenDemoFolder) {
  CopyFrom(ZORNAK_DEMO_FOLDER);
  Run();
  ExpectGolden(folder, std::string(ZORNAK_TEST_DATA) + "/convert/demo-expected");
  EXPECT_EQ(window.messages, Lines{" Koniec obliczeń - ZORNAK_EDZ"});
}

TEST_F(ConversionRun, ConvertedCoordinatesAreTransformPointOfTheInput) {
  CopyFrom(ZORNAK_DEMO_FOLDER);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> x(5566500, 5570500), y(7455500, 7459500);
  std::vector<std::array<long double, 4>> points(500);
  Lines lines;
  for (auto& p : points) {
    for (int i = 0; i < 4; ++i)
      p[i] = std::round((i % 2 ? y : x)(random)*1000) / 1000;
    std::string line = "PT                  ";
    for (long double v : p)
      line += textio::Fixed(v, 0, 3) + " ";
    lines.push_back(line);
  }
  WriteLines("PUNKTY.ept", lines);
  Lines objects = {"O B 121"};
  for (const auto& p : points) {
    objects.push_back("B 1 " + textio::Fixed(p[0], 0, 3) + " " + textio::Fixed(p[1], 0, 3));
  }
  WriteLines("OBIEKTY.txt", objects);
  Run();
  const Lines converted = FileLines("Punkty.ep_");
  const Lines convertedObjects = FileLines("OBIEKTY.tx_");
  ASSERT_EQ(converted.size(), points.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    std::string expected = "PT" + std::string(18, ' ');
    TransformedPoint t;
    for (int pair = 0; pair < 2; ++pair) {
      TransformPoint(state.transformation.Result().FittedTransformation, points[k][2 * pair],
                     points[k][2 * pair + 1], t);
      expected += textio::Fixed(t.Xk, 18, 2) + textio::Fixed(t.Yk, 18, 2);
    }
    ASSERT_EQ(converted[k], expected + " ") << k;
    TransformPoint(state.transformation.Result().FittedTransformation, points[k][0], points[k][1],
                   t);
    ASSERT_EQ(convertedObjects[k + 1], "B 1 " + textio::Fixed(t.Xk, 10, 2) + "        " +
                                           textio::Fixed(t.Yk, 10, 2) + "     ");
  }
}

TEST_F(ConversionRun, NoMapFilesCreatesNothing) {
  IdentityTransformation();
  Run();
  EXPECT_EQ(Files(), (Lines{"Kontrola.tra", "Protokol.tra", "TRANSPKT.BIN", "Transformacja.proj",
                            "err.tra", "xy.tra", "xy_sk.tra", "xy_sk1.tra"}));
  EXPECT_EQ(window.statuses[window.statuses.size() - 2], " Zadania wykonano");
  EXPECT_EQ(window.messages, Lines{" Koniec obliczeń - ZORNAK_EDZ"});
}

TEST_F(ConversionRun, OnlyTheObjectFile) {
  IdentityTransformation();
  WriteLines("OBIEKTY.txt", {"O B 121", "B 1 5567000.00 7456000.00"});
  window.counters[Counter::Points] = "12";
  Run();
  EXPECT_TRUE(folder.Exists("OBIEKTY.tx_"));
  EXPECT_TRUE(folder.Exists("PROTOKOL5.txt"));
  EXPECT_FALSE(folder.Exists("Punkty.ep_"));
  for (int panel : {21, 22, 23})
    EXPECT_EQ(window.panels[panel], PanelState::Output);
  EXPECT_EQ(window.panels.count(11), 1u);  // coloured by the presence pass only
  EXPECT_EQ(window.panels[11], PanelState::Absent);
  EXPECT_EQ(window.counters[Counter::ObjectPoints], "1");
  EXPECT_EQ(window.counters[Counter::Points], "12");
  EXPECT_NE(std::find(window.statuses.begin(), window.statuses.end(), " Przetwarzam OBIEKTY.txt"),
            window.statuses.end());
}

TEST_F(ConversionRun, ClearedSwitchLeavesEarlierOutputsUntouched) {
  IdentityTransformation();
  WriteLines("PUNKTY.ept", {"1                   5567000.00 7456000.00 5567000.00 7456000.00"});
  folder.Write("Punkty.ep_", "earlier");
  window.request.convert[static_cast<int>(MapFile::Points)] = false;
  Run();
  EXPECT_EQ(folder.Read("Punkty.ep_"), "earlier");
  EXPECT_FALSE(folder.Exists("Protokol3.txt"));
}

TEST_F(ConversionRun, NoConversionWithoutATransformation) {
  folder.WriteAdjustmentPoints({{"1", 0, 0, 1, 1}});  // one point: too few for any model
  WriteLines("DZIALKI.edz", {"  1.12-1", "1 2 3 4", "0"});
  folder.Write("Dzialki.ed_", "earlier");
  Run();
  EXPECT_EQ(folder.Read("Dzialki.ed_"), "earlier");
  EXPECT_FALSE(folder.Exists("Protokol1.txt"));
  EXPECT_FALSE(folder.Exists("SKO_dzialki.txt"));
  EXPECT_EQ(window.messages,
            (Lines{" *** Brak transformacji - pliki mapy nie zostały przekształcone",
                   " Koniec obliczeń - ZORNAK_EDZ"}));
  EXPECT_EQ(window.statuses[window.statuses.size() - 2], " Zadania wykonano");
}

TEST_F(ConversionRun, PointFileRules) {
  IdentityTransformation();
  struct Case {
    const char* name;
    std::string input;
    Lines converted, protocol;
    const char* count;
  };
  const std::string good = "1                   5567000.00 7456000.00 5567001.00 7456001.00";
  const std::string out =
      "1                           5567000.00        7456000.00        5567001.00        "
      "7456001.00";
  const Case cases[] = {
      {"empty", "", {}, {" Liczba przeczytanych linii: 1", " Liczba wszystkich punktów: 0"}, "0"},
      {"blank line between records",
       good + "\r\n\r\n" + good + "\r\n" + good + "\r\n",
       {out, out, out},
       {" Liczba przeczytanych linii: 4", " Liczba wszystkich punktów: 3"},
       "3"},
      {"faulty first line is reported",
       "1                   5567000,00 7456000.00 5567001.00 7456001.00\r\n" + good + "\r\n",
       {out},
       {" *** Wykryto błąd liczbowy w wierszu 1", " Liczba przeczytanych linii: 2",
        " Liczba wszystkich punktów: 2"},
       "2"},
      {"number missing at the end of the file",
       good + "\r\n1                   5567000.00 7456000.00 5567001.00\r\n",
       {out},
       {" *** Wykryto błąd liczbowy w wierszu 2", " Liczba przeczytanych linii: 2",
        " Liczba wszystkich punktów: 2"},
       "2"},
  };
  for (const Case& c : cases) {
    folder.Write("PUNKTY.ept", c.input);
    Run();
    EXPECT_EQ(FileLines("Punkty.ep_"), c.converted) << c.name;
    Lines protocol = {" DIAGNOSTYKA ZBIORU: PUNKTY.etp"};
    protocol.insert(protocol.end(), c.protocol.begin(), c.protocol.end());
    EXPECT_EQ(FileLines("Protokol3.txt"), protocol) << c.name;
    EXPECT_EQ(window.counters[Counter::Points], c.count) << c.name;
  }
}

TEST_F(ConversionRun, EmptyLayerAndObjectFiles) {
  IdentityTransformation();
  folder.Write("WARSTWY.txt", "");
  folder.Write("OBIEKTY.txt", "");
  Run();
  EXPECT_EQ(folder.Read("Warstwy.tx_"), "\r\n");
  EXPECT_EQ(folder.Read("OBIEKTY.tx_"), "\r\n");
  for (const char* protocol : {"Protokol4.txt", "PROTOKOL5.txt"}) {
    const Lines lines = FileLines(protocol);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], " Zbiór zawiera 1 linii");
    EXPECT_EQ(lines[2], " Zbiór zawiera 0 punktów");
  }
  EXPECT_EQ(window.counters[Counter::LayerPoints], "0");
  EXPECT_EQ(window.counters[Counter::ObjectPoints], "0");
}

// Every kind of damage in every map file: the run completes, reports, and writes nothing
// but its named outputs.
TEST_F(ConversionRun, BadInputNeverStopsTheRun) {
  IdentityTransformation();
  std::string garbage;
  std::mt19937 random(9);
  for (int i = 0; i < 20000; ++i)
    garbage += static_cast<char>(random() % 256);
  std::string manyWords = "O B 121\r\nB 1";
  for (int i = 0; i < 10000; ++i)
    manyWords += " 5567000.00";
  const std::pair<const char*, std::string> cases[] = {
      {"truncated record", "  1.12-1\r\n5567000.00 7456000.00 5567000.00"},
      {"huge count", "  1.12-1\r\n1 2 3 4\r\n2000000000\r\nV 1 2 3 4\r\n"},
      {"negative count", "  1.12-1\r\n1 2 3 4\r\n-7\r\n  1.12-2\r\n1 2 3 4\r\n0\r\n"},
      {"line of 1 MB", "  1.12-1" + std::string(1 << 20, 'x') + "\r\n1 2 3 4\r\n0\r\n"},
      {"NUL bytes", std::string("  1.12-1\0\r\n1\0 2 3 4\r\n\0\r\n", 23)},
      {"binary garbage", garbage},
      {"many words", manyWords},
  };
  const Lines inputs = {"DZIALKI.edz", "KONTURY.edz", "PUNKTY.ept", "WARSTWY.txt", "OBIEKTY.txt"};
  for (const auto& [name, bytes] : cases) {
    for (const std::string& input : inputs)
      folder.Write(input, bytes);
    window.messages.clear();
    Run();
    ASSERT_FALSE(window.messages.empty()) << name;
    EXPECT_EQ(window.messages.back(), " Koniec obliczeń - ZORNAK_EDZ") << name;
    Lines expected = {
        "DZIALKI.edz",     "Dzialki.ed_",   "KONTURY.edz",   "Kontury.ed_",  "OBIEKTY.tx_",
        "OBIEKTY.txt",     "PROTOKOL5.txt", "PUNKTY.ept",    "Protokol.tra", "Protokol1.txt",
        "Protokol2.txt",   "Protokol3.txt", "Protokol4.txt", "Punkty.ep_",   "SKO_dzialki.txt",
        "SKO_kontury.txt", "TRANSPKT.BIN",  "WARSTWY.txt",   "Warstwy.tx_",  "err.tra",
        "xy.tra",          "xy_sk.tra",     "xy_sk1.tra",    "Kontrola.tra", "Transformacja.proj"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Files(), expected) << name;
    EXPECT_FALSE(FileLines("Protokol1.txt").empty()) << name;
  }
}

}  // namespace

namespace {

// Map files full of what makes a pass branch: faulty numbers, numbers continued on the
// next line, blank lines, defective precinct codes, a bad count, a record cut off by the end
// of the file.
class GeneratedMapFiles {
 public:
  explicit GeneratedMapFiles(unsigned seed) : random_(seed) {}

  std::string Points(int records) {
    std::string bytes;
    for (int i = 0; i < records; ++i) {
      std::string line = "P" + std::to_string(i);
      line.resize(20, ' ');
      for (int k = 0; k < 4; ++k)
        line += " " + Coordinate(k % 2);
      Spoil(line, bytes);
      bytes += line + " r\r\n";
    }
    return bytes;
  }

  std::string Parcels(int records) {
    const char* precincts[] = {"5", "5", "12", "12", "12", "007", "5A"};
    std::string bytes;
    for (int r = 1; r <= records; ++r) {
      if (Chance(15)) bytes += "\r\n";
      bytes += "  3." + std::string(precincts[(r / 7) % 7]) + "-" + std::to_string(r) + "\r\n";
      std::string line =
          "  " + Coordinate(0) + " " + Coordinate(1) + " " + Coordinate(0) + " " + Coordinate(1);
      Spoil(line, bytes);
      bytes += line + " RV\r\n";
      const int vertices = 3 + Pick(6);
      // The last record announces more vertex lines than the file holds.
      const int count = r == records ? 1000 : vertices;
      bytes += (Chance(60) ? std::string("x") : std::to_string(count)) + "\r\n";
      for (int v = 1; v <= vertices; ++v) {
        std::string vertex = "G" + std::to_string(r) + "." + std::to_string(v);
        vertex.resize(20, ' ');
        vertex += Coordinate(0) + " " + Coordinate(1) + " " + Coordinate(0) + " " + Coordinate(1);
        Spoil(vertex, bytes);
        bytes += vertex + "\r\n";
      }
    }
    return bytes;
  }

  // Every line of `model` (a layer or object file) `copies` times, numbers spoilt now and
  // then.
  std::string Sections(const std::string& model, int copies) {
    std::string bytes;
    for (int c = 0; c < copies; ++c) {
      for (std::string line : Utf8Lines(model)) {
        if (Chance(25) && line.find(".00") != std::string::npos) line[line.find(".00")] = ',';
        bytes += textio::Utf8ToCp1250(line) + "\r\n";
      }
    }
    return bytes;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool Chance(int oneIn) { return Pick(oneIn) == 0; }
  std::string Coordinate(int axis) {
    const int cm = std::uniform_int_distribution<int>(0, 400000)(random_);
    return std::to_string((axis ? 7455000 : 5566000) + cm / 100) + "." +
           std::to_string(cm % 90 + 10);
  }
  // A faulty number, or the last number moved to the next line (which then goes to `bytes`
  // first), or a blank line before the line.
  void Spoil(std::string& line, std::string& bytes) {
    switch (Pick(40)) {
      case 0:
        line[line.size() - 3] = ',';
        break;
      case 1:
        bytes += "\r\n";
        break;
      case 2:
        line.insert(line.rfind(' '), "\r\n");
        break;
    }
  }

  std::mt19937 random_;
};

// Every pass writes the same bytes and makes the same window calls in the same order on one
// thread and on several, in large batches and in batches of three pairs (so that records
// and lines meet batch boundaries everywhere).
TEST_F(ConversionRun, EveryPassWritesTheSameOnAnyNumberOfThreads) {
  CopyFrom(ZORNAK_DEMO_FOLDER);
  GeneratedMapFiles generate(11);
  folder.Write("PUNKTY.ept", generate.Points(3000));
  folder.Write("DZIALKI.edz", generate.Parcels(300));
  folder.Write("KONTURY.edz", generate.Parcels(200));
  folder.Write("WARSTWY.txt", generate.Sections(folder.Read("WARSTWY.txt"), 150));
  folder.Write("OBIEKTY.txt", generate.Sections(folder.Read("OBIEKTY.txt"), 150));
  const Lines inputs = Files();
  const ConversionWork runs[] = {{1, 4096}, {1, 3}, {2, 3}, {3, 7}, {4, 4096}};
  std::vector<std::string> outputs;
  std::vector<std::vector<std::string>> calls;
  for (const ConversionWork& work : runs) {
    folder.KeepOnly(inputs);  // each run starts from the same folder
    window = RecordingWindow();
    state.threads = work.threads;
    state.conversion.work.batchPairs = work.batchPairs;
    Run();
    std::string written;
    for (const std::string& name : Files())
      written += name + "\n" + folder.Read(name);
    outputs.push_back(written);
    calls.push_back(window.calls);
  }
  for (std::size_t k = 1; k < outputs.size(); ++k) {
    SCOPED_TRACE("threads " + std::to_string(runs[k].threads) + ", batch " +
                 std::to_string(runs[k].batchPairs));
    EXPECT_TRUE(outputs[k] == outputs[0]);
    EXPECT_TRUE(calls[k] == calls[0]);
  }
  // The files did branch everywhere.
  const std::string& log = outputs[0];
  for (const char* expected : {"Wykryto b", "Defektowy numer", "Liczba dzia", "Zbi"})
    EXPECT_NE(log.find(expected), std::string::npos) << expected;
  EXPECT_GT(calls[0].size(), 3500u);
}

}  // namespace

namespace {

TEST_F(ConversionRun, AnOutputThatCannotBeWrittenIsReportedAndTheRunGoesOn) {
  CopyFrom(ZORNAK_DEMO_FOLDER);
  std::filesystem::create_directory(folder.Native("Dzialki.ed_"));
  Run();
  const std::string failure =
      "Błąd zapisu pliku " + folder.File("Dzialki.ed_") + ": jest katalogiem";
  EXPECT_EQ(std::count(window.messages.begin(), window.messages.end(), failure), 1);
  EXPECT_TRUE(std::filesystem::is_directory(folder.Native("Dzialki.ed_")));
  for (const char* written :
       {"Protokol1.txt", "SKO_dzialki.txt", "Kontury.ed_", "Punkty.ep_", "OBIEKTY.tx_"}) {
    EXPECT_TRUE(folder.Exists(written)) << written;
  }
  EXPECT_EQ(window.messages.back(), " Koniec obliczeń - ZORNAK_EDZ");
  for (const std::string& name : Files()) {
    EXPECT_EQ(name.find(textio::kTemporaryMark), std::string::npos) << name;
  }
  // No panel lights for the file that was not written, no counter shows its records; the
  // parcel pass's other files and the contour pass stand as written.
  EXPECT_EQ(window.panels[slot::kParcelsOut], PanelState::Absent);
  EXPECT_EQ(window.panels[slot::kParcelsProtocol], PanelState::Output);
  EXPECT_EQ(window.panels[slot::kContoursOut], PanelState::Output);
  for (Counter c :
       {Counter::ParcelUnit, Counter::ParcelPrecincts, Counter::Parcels, Counter::ParcelArea}) {
    EXPECT_EQ(window.counters[c], "") << static_cast<int>(c);
  }
  EXPECT_EQ(window.counters[Counter::Contours], "3");
  const TaskResult& parcels = state.conversion.results[0];
  EXPECT_TRUE(parcels.ran);
  EXPECT_FALSE(parcels.converted);
  EXPECT_TRUE(parcels.writeFailed);
  EXPECT_TRUE(state.conversion.results[1].converted);
}

// TRANSPKT.BIN and the five map files are only ever read: their bytes and modification
// times are the same after runs on good files and on faulty ones.
TEST_F(ConversionRun, InputsAreOnlyRead) {
  const Lines inputs = {"TRANSPKT.BIN", "DZIALKI.edz", "KONTURY.edz",
                        "PUNKTY.ept",   "WARSTWY.txt", "OBIEKTY.txt"};
  auto snapshot = [&] {
    std::vector<std::pair<std::string, std::filesystem::file_time_type>> state;
    for (const std::string& name : inputs) {
      state.emplace_back(folder.Read(name), std::filesystem::last_write_time(folder.Native(name)));
    }
    return state;
  };
  CopyFrom(ZORNAK_DEMO_FOLDER);
  const auto before = snapshot();
  Run();
  Run();
  EXPECT_EQ(snapshot(), before);
  for (const std::string& name : inputs)
    folder.Write(name, std::string("\x01\x02 1.2-3\r\n,", 11));
  const auto faulty = snapshot();
  Run();
  EXPECT_EQ(snapshot(), faulty);
}

}  // namespace

namespace {

// Large inputs complete: a record of 10,000 vertices, lines of several megabytes, a layer
// line of 100,000 words.
TEST_F(ConversionRun, StressInputsComplete) {
  IdentityTransformation();
  std::string parcel = "  1.12-1\r\n5567050.00 7456050.00 5567050.00 7456050.00\r\n10000\r\n";
  for (int i = 0; i < 10000; ++i) {
    const double angle = 6.283185307179586 * i / 9999;
    char vertex[128];
    std::snprintf(vertex, sizeof vertex, "V%-19d%.2f %.2f %.2f %.2f\r\n", i,
                  5567050 + 50 * std::cos(angle), 7456050 + 50 * std::sin(angle),
                  5567050 + 50 * std::cos(angle), 7456050 + 50 * std::sin(angle));
    for (char* c = vertex; *c; ++c)
      *c = *c == ',' ? '.' : *c;
    parcel += vertex;
  }
  folder.Write("DZIALKI.edz", parcel);
  const std::string megabytes(4 << 20, 'x');
  folder.Write("PUNKTY.ept", "P                   5567000.00 7456000.00 5567001.00 7456001.00 " +
                                 megabytes + "\r\n" + megabytes + "\r\n");
  std::string words = "W 121 warstwa\r\nP 5567000.00 7456000.00";
  for (int i = 0; i < 100000; ++i)
    words += " w" + std::to_string(i);
  folder.Write("WARSTWY.txt", words + "\r\n");
  Run();
  const Lines index = FileLines("SKO_dzialki.txt");
  ASSERT_EQ(index.size(), 5u);
  EXPECT_NE(index[3].find("        0.7854"), std::string::npos) << index[3];  // pi * 50^2 m2
  EXPECT_EQ(FileLines("Dzialki.ed_").size(), 10003u);
  EXPECT_EQ(FileLines("Punkty.ep_").size(), 1u);
  EXPECT_EQ(folder.Read("Punkty.ep_").size(), 20 + 4 * 18 + 1 + megabytes.size() + 2);
  EXPECT_EQ(FileLines("Protokol3.txt")[1], " *** Wykryto błąd liczbowy w wierszu 2");
  EXPECT_EQ(window.counters[Counter::LayerPoints], "1");
  // "P x y" (23 characters) becomes "P X" + 8 blanks + "Y" + 5 blanks (35), the tail stays.
  EXPECT_EQ(FileLines("Warstwy.tx_")[1].size(), words.size() - 15 - 23 + 35);
}

}  // namespace
