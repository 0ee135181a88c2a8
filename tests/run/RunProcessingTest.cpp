#include "run/RunProcessing.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"
#include "textio/Cp1250.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ModelChoice, SelectorTextsMapToKindAndDegree) {
  struct Case {
    const char* kind;
    const char* degree;
    int expectedKind, expectedDegree;
  };
  const Case cases[] = {
      {"Konforemna", "1", 1, 1},  {"Ogólna (afin.)", "9", 2, 9}, {"Konforemna", "10", 1, 9},
      {"konforemna", " 1", 1, 9}, {"Ogólna", "01", 1, 9},        {"Konforemna", "5", 1, 5},
  };
  ModelChoice choice;
  for (const Case& c : cases) {  // each case starts from the previous one's values
    TakeModelChoice(c.kind, c.degree, choice);
    EXPECT_EQ(choice.TransformKind, c.expectedKind) << c.kind << "/" << c.degree;
    EXPECT_EQ(choice.TransformDegree, c.expectedDegree) << c.kind << "/" << c.degree;
  }
}

class RunProcessingTest : public testing::Test {
 protected:
  void Run() {
    state.files.WorkingFolder = folder.Path();
    state.files.BuildWorkingFiles();
    RunProcessing(state, window.Request(), window);
  }
  TestFolder folder;
  RecordingWindow window;
  RunState state;
};

TEST_F(RunProcessingTest, FolderWithoutMapFiles) {
  folder.WriteAdjustmentPoints(
      {{"1", 0, 0, 10, 10}, {"2", 100, 0, 110, 10}, {"3", 0, 100, 10, 110}});
  Run();
  EXPECT_EQ(window.statuses, (Lines{" obliczenia są wykonywane - proszę czekać",
                                    " sprawdzono zbiory punktów dostosowania", " Zadania wykonano",
                                    " przetwarzanie zakończone"}));
  EXPECT_EQ(window.messages, Lines{" Koniec obliczeń - ZORNAK_EDZ"});
  for (int slot : {17, 18, 19, 20})
    EXPECT_EQ(window.panels[slot], PanelState::Output) << slot;
  EXPECT_EQ(window.panels[2], PanelState::Absent);
  EXPECT_EQ(state.Result().model.ReportDecimals, 4);
  EXPECT_EQ(state.Result().model.TransformKind, 1);
  EXPECT_EQ(state.Result().model.TransformDegree, 1);
}

TEST_F(RunProcessingTest, TwoRunsGiveTheSameFiles) {
  folder.WriteAdjustmentPoints(
      {{"1", 0, 0, 10, 10.01L}, {"2", 100, 0, 110, 10}, {"3", 0, 100, 10.02L, 110}});
  const std::vector<std::string> inputs = folder.Names();
  Run();
  const std::string first = folder.Read("Protokol.tra") + folder.Read("xy_sk.tra");
  folder.KeepOnly(inputs);
  Run();
  EXPECT_EQ(folder.Read("Protokol.tra") + folder.Read("xy_sk.tra"), first);
}

// The run reads nothing back from its sink: a folder run after another with the same sink
// (as the desktop's joint fit ran every folder through one window) gives the files it gives
// alone. An empty parcel file gets no registration unit from the folder before it.
TEST_F(RunProcessingTest, AFolderGivesTheSameFilesAfterAnotherWithTheSameSink) {
  const auto names = [](const TestFolder& f) { return f.Names(); };
  // A file's bytes with its folder's name (the reports name it) put aside.
  const auto contents = [](const TestFolder& f, const std::string& name) {
    std::string bytes = f.Read(name);
    const std::string path = textio::Utf8ToCp1250(f.Path());
    for (std::size_t at; (at = bytes.find(path)) != std::string::npos;)
      bytes.replace(at, path.size(), "FOLDER");
    return bytes;
  };
  TestFolder before, alone;
  before.CopyDemo();
  for (TestFolder* f : {&folder, &alone}) {
    f->CopyDemo();
    f->Write("DZIALKI.edz", "");
  }
  RunState first;
  first.files.WorkingFolder = before.Path();
  first.files.BuildWorkingFiles();
  ASSERT_TRUE(RunProcessing(first, window.Request(), window)->started);
  ASSERT_EQ(window.counters[Counter::ParcelUnit], "3");
  Run();
  RecordingWindow fresh;
  RunState own;
  own.files.WorkingFolder = alone.Path();
  own.files.BuildWorkingFiles();
  ASSERT_TRUE(RunProcessing(own, fresh.Request(), fresh)->started);
  ASSERT_EQ(names(folder), names(alone));
  for (const std::string& name : names(alone))
    EXPECT_EQ(contents(folder, name), contents(alone, name)) << name;
  EXPECT_NE(folder.Read("SKO_dzialki.txt").find(" Jednostka ewidencyjna \r\n"), std::string::npos);
  // The result carries the messages its run showed, and none of the run before.
  ASSERT_EQ(state.Result().messages.size(), own.result->messages.size());
  for (std::size_t k = 0; k < own.result->messages.size(); ++k)
    EXPECT_EQ(state.Result().messages[k].kind, own.result->messages[k].kind);
}

TEST_F(RunProcessingTest, UnreadableAdjustmentFileStillEndsTheRun) {
  folder.Write("TRANSPKT.BIN", "\x05");
  Run();
  EXPECT_EQ(window.messages,
            (Lines{"Błąd odczytu pliku TRANSPKT.BIN\nTRANSPKT.BIN uszkodzony: nagłówek niepełny, "
                   "odczytano 0 rekordów",
                   " Koniec obliczeń - ZORNAK_EDZ"}));
  EXPECT_EQ(window.statuses.back(), " przetwarzanie zakończone");
}

TEST_F(RunProcessingTest, AFolderThatTakesNoFileIsRefusedBeforeAnythingHappens) {
  folder.WriteAdjustmentPoints(
      {{"1", 0, 0, 10, 10}, {"2", 100, 0, 110, 10}, {"3", 0, 100, 10, 110}});
  state.files.WorkingFolder = folder.File("gone");  // a folder removed since it was chosen
  state.files.BuildWorkingFiles();
  EXPECT_FALSE(RunProcessing(state, window.Request(), window)->started);
  EXPECT_FALSE(state.Result().started);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messageKinds[0], MessageKind::FolderNotWritable);
  EXPECT_EQ(window.messages[0], "Nie można zapisywać w folderze roboczym " + folder.File("gone") +
                                    ": nie ma takiego pliku ani katalogu");
  EXPECT_TRUE(window.statuses.empty());
  EXPECT_TRUE(window.panels.empty());
  EXPECT_TRUE(window.counters.empty());
  EXPECT_FALSE(state.transformation.Result().FittedTransformation.fitted);
}

TEST_F(RunProcessingTest, APartlyReadAdjustmentFileFitsButConvertsNothing) {
  folder.WriteAdjustmentPoints({{"1", 0, 0, 10, 10},
                                {"2", 100, 0, 110, 10},
                                {"3", 0, 100, 10, 110},
                                {"4", 100, 100, 110, 110}});
  const std::string whole = folder.Read("TRANSPKT.BIN");
  folder.Write("TRANSPKT.BIN", whole.substr(0, whole.size() - 1));  // the last real cut short
  folder.Write("PUNKTY.ept", "1                   0 0 0 0\r\n");
  Run();
  const TFittedTransformation& f = state.transformation.Result().FittedTransformation;
  EXPECT_TRUE(f.fitted);  // three whole records fit a Helmert
  EXPECT_TRUE(f.readFailed);
  EXPECT_FALSE(f.Usable());
  EXPECT_FALSE(folder.Exists("Punkty.ep_"));
  EXPECT_EQ(
      window.messages,
      (Lines{"Błąd odczytu pliku TRANSPKT.BIN\nTRANSPKT.BIN uszkodzony: odczytano 3 z 4 rekordów",
             " *** Brak transformacji - pliki mapy nie zostały przekształcone",
             " Koniec obliczeń - ZORNAK_EDZ"}));
}

// A model is determined from as many equations as unknowns on (r = 0: an exact fit, the map
// converted); one point fewer gives no transformation.
TEST_F(RunProcessingTest, AModelFitsFromZeroRedundancyOn) {
  const TPkt corners[] = {{"1", 0, 0, 10, 10.01L},
                          {"2", 100, 0, 110.02L, 10},
                          {"3", 0, 100, 10, 110},
                          {"4", 100, 100, 110, 110.03L}};
  struct Case {
    const char* name;
    int kind, degree, points;
    bool fitted;
  };
  const Case cases[] = {
      {"Helmert, 2 points, r = 0", 1, 1, 2, true},     {"Helmert, 1 point", 1, 1, 1, false},
      {"conformal 2, 3 points, r = 0", 1, 2, 3, true}, {"conformal 2, 2 points", 1, 2, 2, false},
      {"affine, 3 points, r = 0", 2, 1, 3, true},      {"affine, 2 points", 2, 1, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder.KeepOnly({});
    folder.WriteAdjustmentPoints(TPktDostosowania(corners, corners + c.points));
    folder.Write("PUNKTY.ept", "1                   50 50 0 0\r\n");
    window.messages.clear();
    window.request.model = {c.kind, c.degree, 4};
    Run();
    const TFittedTransformation& f = state.Result().Fit();
    EXPECT_EQ(f.fitted, c.fitted);
    EXPECT_EQ(f.Usable(), c.fitted);
    EXPECT_EQ(folder.Exists("Punkty.ep_"), c.fitted);
    if (c.fitted) {
      EXPECT_EQ(f.figures.redundancy, 0);
    }
  }
}

// A blunder among the records a damaged TRANSPKT.BIN still holds: its partial fit flags the
// point, but it converts no map, so there is nothing to ask about before the maps.
TEST_F(RunProcessingTest, ADamagedFileAsksNothingBeforeTheMaps) {
  TPktDostosowania points;
  for (int i = 0; i < 12; ++i) {
    const long double x = 97.0L * (i % 4), y = 113.0L * (i / 4);
    points.push_back({"P" + std::to_string(i + 1), x, y, x + 10 + 0.001L * (i % 7),
                      y + 10 + 0.001L * (i % 5) + (i == 3 ? 0.5L : 0)});
  }
  folder.WriteAdjustmentPoints(points);
  const std::string whole = folder.Read("TRANSPKT.BIN");
  folder.Write("TRANSPKT.BIN", whole.substr(0, whole.size() - 5));  // 11 whole records
  folder.Write("PUNKTY.ept", "1                   50 50 0 0\r\n");
  Run();
  const TransformationResult& t = state.Result().Transformation();
  ASSERT_TRUE(t.FittedTransformation.fitted);
  ASSERT_FALSE(t.FittedTransformation.Usable());
  EXPECT_TRUE(HasSuspectPoints(t));  // the partial fit does see the blunder
  EXPECT_TRUE(window.questions.empty());
  EXPECT_FALSE(folder.Exists("Punkty.ep_"));
}

}  // namespace

namespace {

// The front ends read ZORNAK_THREADS once; anything but a whole number above 0 means every
// core (0).
// The corrections over the converted map: a weighted mean of the residual vectors, so never
// longer than the longest residual; the same tally on one thread and on three.
TEST(MapCorrections, BoundedByTheResidualsAndTheSameOnAnyThreads) {
  std::vector<CorrectionTally> tallies;
  long double largestResidual = 0;
  for (int threads : {1, 3}) {
    TestFolder folder;
    folder.CopyDemo();
    RecordingWindow window;
    RunState state;
    state.threads = threads;
    state.files.WorkingFolder = folder.Path();
    state.files.BuildWorkingFiles();
    ASSERT_TRUE(RunProcessing(state, window.Request(), window)->started);
    largestResidual = state.transformation.Result().FittedTransformation.figures.maxResidual;
    CorrectionTally all;
    for (const TaskResult& r : state.conversion.results)
      all.Merge(r.correction);
    tallies.push_back(all);
  }
  EXPECT_GT(tallies[0].count, 0);
  EXPECT_LE(tallies[0].largest, largestResidual);
  EXPECT_LE(tallies[0].Mean(), tallies[0].largest);
  EXPECT_GT(tallies[0].Mean(), 0);
  EXPECT_EQ(tallies[0].count, tallies[1].count);
  EXPECT_EQ(tallies[0].sum, tallies[1].sum);
  EXPECT_EQ(tallies[0].largest, tallies[1].largest);
}

// One state, several runs, as the desktop program runs all day, each with batches of another
// size (so batches are reused a different number of times): every run tallies its own pairs
// once, as many as one batch holding them all counts, with the same largest correction.
TEST(MapCorrections, EachRunTalliesItsOwnPairsOnce) {
  TestFolder folder;
  folder.CopyDemo();
  const std::vector<std::string> inputs = folder.Names();
  RecordingWindow window;
  RunState state;
  state.files.WorkingFolder = folder.Path();
  const ConversionWork works[] = {{1, std::size_t{1} << 24}, {2, 3}, {3, 7}};
  std::vector<CorrectionTally> runs;
  for (const ConversionWork& work : works) {
    folder.KeepOnly(inputs);
    state.threads = work.threads;
    state.conversion.work.batchPairs = work.batchPairs;
    state.files.BuildWorkingFiles();
    ASSERT_TRUE(RunProcessing(state, window.Request(), window)->started);
    CorrectionTally all;
    for (const TaskResult& r : state.Result().conversion)
      all.Merge(r.correction);
    runs.push_back(all);
  }
  ASSERT_GT(runs[0].count, 0);
  for (const CorrectionTally& run : runs) {
    EXPECT_EQ(run.count, runs[0].count);
    EXPECT_EQ(run.largest, runs[0].largest);
    EXPECT_NEAR(run.sum, runs[0].sum, 1e-15L * runs[0].sum);  // added in other chunks
  }
}

TEST(RunThreads, FromTheEnvironment) {
  const std::pair<const char*, int> cases[] = {{nullptr, 0}, {"1", 1}, {"3", 3},  {"0", 0},
                                               {"-2", 0},    {"", 0},  {"abc", 0}};
  for (const auto& [text, threads] : cases) {
    SCOPED_TRACE(text ? text : "(unset)");
    text ? SetEnvironment("ZORNAK_THREADS", text) : ClearEnvironment("ZORNAK_THREADS");
    EXPECT_EQ(ThreadsFromEnvironment(), threads);
  }
  ClearEnvironment("ZORNAK_THREADS");
}

}  // namespace
