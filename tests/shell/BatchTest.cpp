#include "batch/BatchRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/TestFolder.h"
#include "transform/TransformSettings.h"

namespace {

struct BatchResult {
  int status;
  std::string out, err;
};

BatchResult Batch(std::vector<std::string> args) {
  args.insert(args.begin(), "zornak_batch");
  std::vector<const char*> argv;
  for (const std::string& a : args)
    argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = RunBatch(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

TEST(Batch, RunsOnTheDemoFolderCopy) {
  TestFolder folder;
  for (const char* name : {"TRANSPKT.BIN", "xy1", "xy2"}) {
    std::ifstream in(std::string(ZORNAK_DEMO_FOLDER) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    folder.Write(name, bytes.str());
  }
  const BatchResult r = Batch({folder.Path()});
  EXPECT_EQ(r.status, 0) << r.err;
  // Status texts that follow each other within 40 ms may be dropped; the first, the one
  // standing at a message and the last are always printed.
  EXPECT_EQ(r.err.rfind("status: obliczenia są wykonywane - proszę czekać\n", 0), 0u) << r.err;
  const std::string end =
      "status: Zadania wykonano\n"
      "message:  Koniec obliczeń - ZORNAK_EDZ\n"
      "status: przetwarzanie zakończone\n";
  ASSERT_GE(r.err.size(), end.size());
  EXPECT_EQ(r.err.substr(r.err.size() - end.size()), end) << r.err;
  EXPECT_NE(r.out.find("Panel17 Protokol.tra: clWindow"), std::string::npos) << r.out;
  EXPECT_NE(
      folder.Read("Protokol.tra").find("Liczba punkt\xf3w wsp\xf3lnych (xy1) i (xy2)         = 36"),
      std::string::npos);
}

TEST(Batch, OptionsChooseTheModel) {
  TestFolder folder;
  EXPECT_EQ(Batch({"--kind", "2", "--degree", "3", folder.Path()}).status, 0);
  EXPECT_EQ(TransformKind, 2);
  EXPECT_EQ(TransformDegree, 3);
  EXPECT_EQ(Batch({folder.Path()}).status, 0);
  EXPECT_EQ(TransformKind, 1);
  EXPECT_EQ(TransformDegree, 1);
}

TEST(Batch, WrongCommandLinesAndFolders) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"--kind", "3"}, 2}, {{"--degree", "0"}, 2},       {{"--degree"}, 2}, {{"--bogus"}, 2},
      {{"a", "b"}, 2},      {{"/nonexistent/zornak"}, 1}, {{"--help"}, 0},
  };
  for (const auto& [args, status] : cases) {
    const BatchResult r = Batch(args);
    EXPECT_EQ(r.status, status) << args[0];
    EXPECT_FALSE((status == 0 ? r.out : r.err).empty()) << args[0];
  }
}

}  // namespace
