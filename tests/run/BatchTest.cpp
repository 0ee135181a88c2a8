#include "batch/BatchReport.h"
#include "batch/BatchRun.h"
#include "batch/ConsoleWindow.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "bench/BlunderSets.h"
#include "tests/BatchCall.h"
#include "tests/JsonValue.h"
#include "tests/Refit.h"
#include "tests/TestFolder.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/Platform.h"
#include "transform/Exclusions.h"
#include "transform/RunTransformation.h"

namespace {

namespace fs = std::filesystem;

// The batch program run by the user "nobody" (when the tests run as root, where folder
// permissions would not hold), in a child process; its standard output comes back.
// Windows keeps no such permissions on folders (the cross-built program is tried on a
// read-only folder by the Windows test script instead, as an unprivileged user).
#ifdef _WIN32
constexpr bool kFolderPermissionsHold = false;
BatchResult BatchAsNobody(std::vector<std::string> args) {
  return Batch(std::move(args));
}
#else
constexpr bool kFolderPermissionsHold = true;
BatchResult BatchAsNobody(std::vector<std::string> args) {
  if (::geteuid() != 0) return Batch(std::move(args));
  int pipe[2];
  if (::pipe(pipe) != 0) return {-1, "", "pipe"};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    BatchResult r{99, "", ""};  // 99: the user could not be changed
    if (::setgid(65534) == 0 && ::setuid(65534) == 0) r = Batch(args);
    const std::string report = std::to_string(r.status) + "\n" + r.out;
    [[maybe_unused]] ssize_t n = ::write(pipe[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(pipe[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(n));
  ::close(pipe[0]);
  ::waitpid(child, nullptr, 0);
  const std::size_t end = report.find('\n');
  if (end == std::string::npos) return {-1, report, "child"};
  return {std::stoi(report.substr(0, end)), report.substr(end + 1), ""};
}
#endif

void SetWritable(const TestFolder& folder, bool writable) {
  fs::permissions(folder.Native(), writable ? fs::perms::owner_all
                                            : fs::perms::owner_read | fs::perms::owner_exec |
                                                  fs::perms::group_read | fs::perms::group_exec |
                                                  fs::perms::others_read | fs::perms::others_exec);
}

void CopyDemo(const TestFolder& folder) {
  folder.CopyDemo();
}

// Names and modification times of every file of the folder.
std::map<std::string, fs::file_time_type> Snapshot(const TestFolder& folder) {
  std::map<std::string, fs::file_time_type> files;
  for (const auto& entry : fs::directory_iterator(folder.Native()))
    files[textio::Utf8FromPath(entry.path().filename())] = entry.last_write_time();
  return files;
}

const char* const kConvertedNames[] = {"Dzialki.ed_", "Kontury.ed_", "Punkty.ep_", "Warstwy.tx_",
                                       "OBIEKTY.tx_"};

bool HasMessage(const JsonValue& json, const std::string& start) {
  for (const JsonValue& m : json["messages"].items) {
    if (m.text.rfind(start, 0) == 0) return true;
  }
  return false;
}

// The m0 line of the report, e.g. "  Błąd średni jednostkowy m0 =     0.0205".
std::string ReportM0(const TestFolder& folder) {
  const std::string label = textio::Utf8ToCp1250("  Błąd średni jednostkowy m0 = ");
  const std::string report = folder.Read("Protokol.tra");
  const std::size_t at = report.find(label);
  if (at == std::string::npos) return "";
  return report.substr(at + label.size(), report.find("\r\n", at) - at - label.size());
}

struct Case {
  const char* name;
  std::function<void(const TestFolder&)> prepare;
  int status;
  std::function<void(const TestFolder&, const JsonValue&)> check;
  bool unprivileged = false;
};

// Wykluczone.txt holding `content`, which Kontrola.tra names with `problem`.
Case FaultyExclusionList(const char* name, std::string content, std::string problem) {
  return {name,
          [content](const TestFolder& folder) {
            CopyDemo(folder);
            folder.Write("Wykluczone.txt", content);
          },
          3,
          [problem](const TestFolder& folder, const JsonValue& json) {
            EXPECT_TRUE(json["files"][0]["converted"].boolean);
            EXPECT_EQ(json["transformation"]["points_used"].number, 35);
            EXPECT_TRUE(HasMessage(json, "Błędy w pliku Wykluczone.txt"));
            // PD-101 is left out: a control point, with discrepancies but no residual.
            for (const JsonValue& p : json["adjustment_points"].items) {
              if (p["nr"].text != "PD-101") continue;
              EXPECT_TRUE(p["excluded"].boolean);
              EXPECT_TRUE(p["vx"].IsNull() && p["vy"].IsNull());
              EXPECT_EQ(p["d"].type, JsonValue::Type::Number);
            }
            EXPECT_NE(textio::Cp1250ToUtf8(folder.Read("Kontrola.tra")).find(problem),
                      std::string::npos);
          }};
}

TEST(BatchCommandLine, ExitStatusAndJsonForEveryOutcome) {
  const Case cases[] = {
      {"demo folder", CopyDemo, 0,
       [](const TestFolder& folder, const JsonValue& json) {
         EXPECT_EQ(json["folder"].text, folder.Path());
         EXPECT_EQ(json["model"]["kind"].number, 1);
         EXPECT_EQ(json["model"]["degree"].number, 1);
         const JsonValue& t = json["transformation"];
         EXPECT_TRUE(t["fitted"].boolean);
         EXPECT_TRUE(t["usable"].boolean);
         EXPECT_EQ(t["points_read"].number, 36);
         EXPECT_EQ(t["points_used"].number, 36);
         EXPECT_EQ(textio::Fixed(t["m0"].number, 10, 4), ReportM0(folder));
         EXPECT_FALSE(t["max_residual"]["point"].text.empty());
         ASSERT_EQ(json["files"].items.size(), 5u);
         for (std::size_t k = 0; k < 5; ++k) {
           const JsonValue& f = json["files"][k];
           EXPECT_TRUE(f["converted"].boolean);
           EXPECT_EQ(f["errors"].number, 0);
           EXPECT_GT(f["records"].number, 0);
           EXPECT_EQ(f["output"].text, folder.File(kConvertedNames[k]));
           EXPECT_EQ(ReadFile(f["output"].text),
                     ReadFile(std::string(ZORNAK_TEST_DATA) + "/convert/demo-expected/" +
                              kConvertedNames[k]));
           EXPECT_TRUE(fs::exists(textio::PathFromUtf8(f["protocol"].text)));
           EXPECT_EQ(f["index"].IsNull(), k >= 2);
         }
         EXPECT_EQ(json["messages"].items.size(), 1u);
         // Scripts get the texts trimmed; the files keep the blanks.
         EXPECT_EQ(json["messages"][0].text, "Koniec obliczeń - ZORNAK_EDZ");
         const JsonValue& reports = json["reports"];
         const std::pair<const char*, const char*> written[] = {{"protocol", "Protokol.tra"},
                                                                {"control", "Kontrola.tra"},
                                                                {"xy", "xy.tra"},
                                                                {"xy_sk", "xy_sk.tra"},
                                                                {"xy_sk1", "xy_sk1.tra"},
                                                                {"errors", "err.tra"},
                                                                {"pipeline", "Transformacja.proj"}};
         for (const auto& [key, name] : written) {
           EXPECT_EQ(reports[key].text, folder.File(name)) << key;
           EXPECT_TRUE(folder.Exists(name)) << name;
         }
         ASSERT_EQ(json["adjustment_points"].items.size(), 36u);
         const JsonValue& first = json["adjustment_points"][0];
         EXPECT_EQ(first["nr"].text, "PD-101");
         for (const char* key : {"x1", "y1", "x2", "y2", "vx", "vy", "dx", "dy", "d", "m0_i"})
           EXPECT_EQ(first[key].type, JsonValue::Type::Number) << key;
         EXPECT_FALSE(first["excluded"].boolean);
         int suggested = 0;
         for (const JsonValue& m : json["models"].items) {
           for (const char* key : {"kind", "degree", "unknowns", "r", "defective", "skipped"})
             EXPECT_TRUE(m.Has(key)) << key;
           suggested += m["suggested"].boolean ? 1 : 0;
         }
         EXPECT_EQ(suggested, 1);
       }},
      {"missing TRANSPKT.BIN",
       [](const TestFolder& folder) {
         CopyDemo(folder);
         folder.Remove("TRANSPKT.BIN");
       },
       4,
       [](const TestFolder& folder, const JsonValue& json) {
         EXPECT_FALSE(json["transformation"]["fitted"].boolean);
         EXPECT_TRUE(json["transformation"]["m0"].IsNull());
         EXPECT_TRUE(json["transformation"]["max_residual"].IsNull());
         for (const char* name : kConvertedNames)
           EXPECT_FALSE(folder.Exists(name)) << name;
         for (const JsonValue& f : json["files"].items) {
           EXPECT_FALSE(f["converted"].boolean);
           EXPECT_TRUE(f["output"].IsNull());
         }
         EXPECT_TRUE(HasMessage(json, "*** Brak transformacji"));
       }},
      {"truncated TRANSPKT.BIN whose first records fit",
       [](const TestFolder& folder) {
         CopyDemo(folder);
         const std::string whole = folder.Read("TRANSPKT.BIN");
         folder.Write("TRANSPKT.BIN", whole.substr(0, whole.size() - 7));
         folder.Write("Dzialki.ed_", "earlier");
         folder.Write("Transformacja.proj", "earlier");
       },
       4,
       [](const TestFolder& folder, const JsonValue& json) {
         // A partial fit is reported, but it is no usable transformation: it converts nothing
         // and rewrites no pipeline of an earlier run.
         EXPECT_TRUE(json["transformation"]["fitted"].boolean);
         EXPECT_FALSE(json["transformation"]["usable"].boolean);
         EXPECT_TRUE(json["transformation"]["read_failed"].boolean);
         EXPECT_EQ(folder.Read("Transformacja.proj"), "earlier");
         EXPECT_TRUE(json["reports"]["pipeline"].IsNull());
         EXPECT_NE(ReportM0(folder), "");  // the report is written as before
         EXPECT_EQ(folder.Read("Dzialki.ed_"), "earlier");
         for (int k = 1; k < 5; ++k)
           EXPECT_FALSE(folder.Exists(kConvertedNames[k])) << kConvertedNames[k];
         EXPECT_TRUE(HasMessage(json, "Błąd odczytu pliku TRANSPKT.BIN"));
         EXPECT_TRUE(HasMessage(json, "*** Brak transformacji"));
       }},
      {"parcel file with numeric errors",
       [](const TestFolder& folder) {
         CopyDemo(folder);
         folder.Write("DZIALKI.edz",
                      "  1.12-1\r\n5567000.00 7456000.00 5567001.x0 7456001.00\r\n0\r\n");
       },
       3,
       [](const TestFolder&, const JsonValue& json) {
         EXPECT_TRUE(json["files"][0]["converted"].boolean);
         EXPECT_EQ(json["files"][0]["errors"].number, 1);
         EXPECT_TRUE(HasMessage(json, "*** Wykryto błąd liczbowy"));
       }},
      // A faulty exclusion list is an input problem: the run converts, and says so with 3.
      FaultyExclusionList("unknown number", "PD-101\r\nXYZ-1\r\n", "punktu XYZ-1 nie ma"),
      FaultyExclusionList("repeated number", "PD-101\r\nPD-101\r\n", "numer PD-101 powtórzony"),
      FaultyExclusionList("unreadable line", "PD-101\r\nP\x01\r\n", "wiersz nieczytelny"),
      {"read-only folder",
       [](const TestFolder& folder) {
         CopyDemo(folder);
         SetWritable(folder, false);
       },
       1,
       [](const TestFolder& folder, const JsonValue& json) {
         SetWritable(folder, true);
         ASSERT_EQ(json["messages"].items.size(), 1u);
         EXPECT_TRUE(HasMessage(json, "Nie można zapisywać w folderze roboczym " + folder.Path()));
         EXPECT_FALSE(folder.Exists("Protokol.tra"));
       },
       true},
      {"an output name taken by a folder",
       [](const TestFolder& folder) {
         CopyDemo(folder);
         fs::create_directory(folder.Native("Protokol3.txt"));
       },
       5,
       [](const TestFolder& folder, const JsonValue& json) {
         EXPECT_TRUE(HasMessage(json, "Błąd zapisu pliku " + folder.File("Protokol3.txt")));
         EXPECT_TRUE(json["files"][2]["converted"].boolean);  // its converted file is whole
         EXPECT_TRUE(json["files"][2]["protocol"].IsNull());
         EXPECT_TRUE(fs::is_directory(folder.Native("Protokol3.txt")));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.unprivileged && !kFolderPermissionsHold) continue;
    TestFolder folder;
    c.prepare(folder);
    const auto before = Snapshot(folder);
    const BatchResult r = c.unprivileged ? BatchAsNobody({"--json", folder.Path()})
                                         : Batch({"--json", folder.Path()});
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::optional<JsonValue> json = ParseJson(r.out);
    ASSERT_TRUE(json) << r.out;
    EXPECT_EQ((*json)["exit_status"].number, c.status);
    c.check(folder, *json);
    if (c.status == 1) {
      EXPECT_EQ(Snapshot(folder), before);
    }
  }
}

TEST(BatchCommandLine, TextSummaryNamesTheModelTheFitAndEveryFile) {
  TestFolder folder;
  CopyDemo(folder);
  const BatchResult r = Batch({"--kind", "2", "--degree", "2", folder.Path()});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const std::string& expected : std::vector<std::string>{
           "Model: transformacja ogólna stopnia 2\n",
           "Punkty dostosowania: wczytano 36, użyto 36\n", "Błąd średni jednostkowy m0 = ",
           "  przekształcony: " + folder.File("Dzialki.ed_") + "\n",
           "  skorowidz: " + folder.File("SKO_kontury.txt") + "\n",
           "Wynik: 0 - przetwarzanie zakończone bez problemów\n"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }
  // Status texts that follow each other within 40 ms may be dropped; the first, the one
  // standing at a message and the last are always printed.
  EXPECT_EQ(r.err.rfind("status: obliczenia są wykonywane - proszę czekać\n", 0), 0u) << r.err;
  const std::string end =
      "status: Zadania wykonano\n"
      "message:  Koniec obliczeń - ZORNAK_EDZ\n"
      "status: przetwarzanie zakończone\n";
  ASSERT_GE(r.err.size(), end.size());
  EXPECT_EQ(r.err.substr(r.err.size() - end.size()), end) << r.err;
}

TEST(BatchCommandLine, OptionsChooseTheModel) {
  TestFolder folder;
  const std::pair<std::vector<std::string>, std::pair<int, int>> cases[] = {
      {{"--kind", "2", "--degree", "3"}, {2, 3}},
      {{}, {1, 1}},
      {{"--degree", "9"}, {1, 9}},
  };
  for (auto [args, model] : cases) {
    args.push_back("--json");
    args.push_back(folder.Path());
    const BatchResult r = Batch(args);
    const std::optional<JsonValue> json = ParseJson(r.out);
    ASSERT_TRUE(json) << r.out;
    EXPECT_EQ((*json)["model"]["kind"].number, model.first);
    EXPECT_EQ((*json)["model"]["degree"].number, model.second);
    EXPECT_NE(folder.Read("Protokol.tra").find("stopnia " + std::to_string(model.second)),
              std::string::npos);
  }
}

TEST(BatchCommandLine, GeoPackageOnRequest) {
#ifndef ZORNAK_WITH_GDAL
  GTEST_SKIP() << "built without GDAL";
#endif
  TestFolder folder;
  CopyDemo(folder);
  const std::optional<JsonValue> plain = ParseJson(Batch({"--json", folder.Path()}).out);
  ASSERT_TRUE(plain);
  EXPECT_TRUE((*plain)["geopackage"].IsNull());
  EXPECT_FALSE(folder.Exists("Mapa.gpkg"));
  const BatchResult r = Batch({"--gpkg", "--json", folder.Path()});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::optional<JsonValue> json = ParseJson(r.out);
  ASSERT_TRUE(json);
  EXPECT_EQ((*json)["geopackage"].text, folder.File("Mapa.gpkg"));
  EXPECT_TRUE(folder.Exists("Mapa.gpkg"));
}

TEST(BatchCommandLine, WrongCommandLinesAndFolders) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"--kind", "3"}, 2}, {{"--degree", "0"}, 2}, {{"--degree"}, 2},
      {{"--bogus"}, 2},     {{"--kind"}, 2},        {{"/nonexistent/zornak"}, 1},
      {{"--help"}, 0},      {{"--version"}, 0},     {{"/nonexistent/a", "/nonexistent/b"}, 1},
      {{"--recursive"}, 2}, {{"--width", "9"}, 2},
  };
  for (const auto& [args, status] : cases) {
    const BatchResult r = Batch(args);
    EXPECT_EQ(r.status, status) << args[0];
    EXPECT_FALSE((status == 0 ? r.out : r.err).empty()) << args[0];
  }
  EXPECT_EQ(Batch({"--version"}).out, std::string("zornak_batch ") + ZORNAK_VERSION + "\n");
  EXPECT_NE(Batch({"--help"}).out.find("  4  brak transformacji"), std::string::npos);
  // Each option shows the value it takes as the help names it, with no suffix of a check.
  const std::string help = Batch({"--help"}).out;
  for (const char* shown : {"  --limit-m0 M ", "  --limit-residual V ", "  --seam-tolerance M "})
    EXPECT_NE(help.find(shown), std::string::npos) << shown << "\n" << help;
  EXPECT_EQ(help.find(":M "), std::string::npos) << help;
}

// A message carrying a damaged file's bytes reaches the terminal and the JSON with its
// control characters written out.
TEST(BatchConsole, ControlCharactersOfAMessageAreWrittenOut) {
  std::ostringstream log;
  ConsoleWindow window(log);
  const std::string text = "rekord 12\x1b]0;tytul\x07 zły";
  window.ShowMessage(MessageKind::NumericError, text);
  EXPECT_EQ(log.str().find('\x1b'), std::string::npos);
  EXPECT_NE(log.str().find("rekord 12\\x1B]0;tytul\\x07 zły"), std::string::npos) << log.str();
  RunResult run = *NoRunResult();
  run.messages = {{MessageKind::NumericError, text}};
  const BatchReport report = CollectReport(run, {{MessageKind::GisProblem, text}});
  EXPECT_EQ(report.messages, (std::vector<std::string>(2, "rekord 12\\x1B]0;tytul\\x07 zły")));
}

// A refused command line says what is wrong in Polish, in one line, and where to look.
TEST(BatchCommandLine, TheWordingOfARefusal) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--kind", "3"}, "--kind: wymaga liczby 1..2 (podano 3)"},
      {{"--degree", "x"}, "--degree: wymaga liczby 1..9 (podano x)"},
      {{"--degree"}, "opcja --degree wymaga wartości"},
      {{"--bogus", "a"}, "nieznana opcja lub nadmiarowy argument: --bogus"},
      {{"--recursive"}, "opcja --recursive wymaga wartości"},
  };
  for (const auto& [args, why] : cases) {
    const BatchResult r = Batch(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.err, "zornak_batch: " + why + "\nOpis wywołania: zornak_batch --help\n");
    EXPECT_EQ(r.out, "");
  }
}

// A county is done precinct by precinct: every folder under the root that holds a
// TRANSPKT.BIN, in name order, one JSON object each; a folder that fails stops none of the
// others, and the exit status is the most serious of theirs.
TEST(BatchCommandLine, SeveralFoldersOneAfterAnother) {
  TestFolder root;
  for (const char* name : {"b", "a", "a/sub", "c", "nothing"})
    fs::create_directories(root.Native(name));
  const auto copyDemo = [&](const std::string& name) {
    for (const auto& entry : fs::directory_iterator(ZORNAK_DEMO_FOLDER))
      fs::copy_file(entry.path(), root.Native(name) / entry.path().filename());
  };
  copyDemo("b");
  copyDemo("a/sub");
  root.Write(textio::Utf8FromPath(fs::path("a") / "sub" / "Wykluczone.txt"),
             "nieznany\r\n");  // an input problem: 3
  // One point cannot determine a model: no transformation, 4.
  ASSERT_TRUE(WriteTransPktBIN(root.File("c/TRANSPKT.BIN"), "x", 1, 2,
                               {{"1", 5567000, 7456000, 5567000.1L, 7456000.1L}}));
  const BatchResult r = Batch({"--json", "--recursive", root.Path()});
  EXPECT_EQ(r.status, 4) << r.err;
  const std::optional<JsonValue> json = ParseJson(r.out);
  ASSERT_TRUE(json) << r.out;
  ASSERT_EQ(json->items.size(), 3u);
  const std::string sub = textio::Utf8FromPath(root.Native("a") / "sub");
  const std::string expected[][2] = {{sub, "3"}, {root.File("b"), "0"}, {root.File("c"), "4"}};
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(json->items[k]["folder"].text, expected[k][0]);
    EXPECT_EQ(json->items[k]["exit_status"].number, std::stoi(expected[k][1]));
  }
  EXPECT_FALSE(fs::exists(root.Native("nothing/Protokol.tra")));

  // Folders named one by one: one that does not exist (1) outweighs an input problem (3),
  // and the others are still done. The text ends with a table of them all.
  root.Remove(textio::Utf8FromPath(fs::path("b") / "Protokol.tra"));
  const BatchResult text =
      Batch({"--seams", root.File("Szwy.txt"), sub, root.File("missing"), root.File("b")});
  EXPECT_EQ(text.status, 1);
  EXPECT_TRUE(root.Exists(textio::Utf8FromPath(fs::path("b") / "Protokol.tra")));
  EXPECT_NE(text.out.find("Folderów: 3"), std::string::npos) << text.out;
  for (const std::string& name : {sub, root.File("missing"), root.File("b")})
    EXPECT_NE(text.out.find(name + "\n"), std::string::npos) << name;
}

// --json answers with JSON on every path, a folder that does not exist and a refused
// command line included.
TEST(BatchCommandLine, JsonForAFolderThatDoesNotExist) {
  const BatchResult refused = Batch({"--json", "--kind", "7"});
  EXPECT_EQ(refused.status, 2);
  const std::optional<JsonValue> why = ParseJson(refused.out);
  ASSERT_TRUE(why) << refused.out;
  EXPECT_EQ((*why)["exit_status"].number, 2);
  EXPECT_TRUE(HasMessage(*why, "zornak_batch: --kind: wymaga liczby 1..2"));
  EXPECT_FALSE(refused.err.empty());

  const BatchResult r = Batch({"--json", "/nonexistent/zornak"});
  EXPECT_EQ(r.status, 1);
  const std::optional<JsonValue> json = ParseJson(r.out);
  ASSERT_TRUE(json) << r.out;
  EXPECT_EQ((*json)["exit_status"].number, 1);
  EXPECT_EQ((*json)["folder"].text, textio::Utf8FromPath(fs::absolute("/nonexistent/zornak")));
  EXPECT_TRUE(HasMessage(*json, "folder roboczy /nonexistent/zornak nie istnieje"));

  // A relative one is given absolute, and the report files are there, each null, as for
  // a folder that exists.
  TestFolder demo;
  CopyDemo(demo);
  const std::optional<JsonValue> ran = ParseJson(Batch({"--json", demo.Path()}).out);
  const BatchResult relative = Batch({"--json", "nie-ma-takiego-folderu"});
  EXPECT_EQ(relative.status, 1);
  const std::optional<JsonValue> missing = ParseJson(relative.out);
  ASSERT_TRUE(ran && missing) << relative.out;
  EXPECT_EQ((*missing)["folder"].text,
            textio::Utf8FromPath(fs::absolute("nie-ma-takiego-folderu")));
  ASSERT_TRUE(missing->Has("reports"));
  for (const auto& [key, value] : (*ran)["reports"].members) {
    ASSERT_TRUE((*missing)["reports"].Has(key)) << key;
    EXPECT_TRUE((*missing)["reports"][key].IsNull()) << key;
  }
  EXPECT_EQ((*missing)["reports"].members.size(), (*ran)["reports"].members.size());
}

// A root that holds no working folder is no county done: exit 1 and a word, not 0 and [].
TEST(BatchCommandLine, ARecursiveRootWithoutFoldersIsRefused) {
  TestFolder root;
  fs::create_directories(root.Native("puste/podfolder"));
  for (const bool json : {false, true}) {
    const BatchResult r =
        json ? Batch({"--json", "--recursive", root.Path()}) : Batch({"--recursive", root.Path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zornak_batch: pod " + root.Path() +
                         " nie ma folderu roboczego z plikiem TRANSPKT.BIN\n");
    EXPECT_EQ(r.out, json ? "[]\n" : "");
  }
}

// --pdf with a bare name writes into the working folder, as the desktop proposes, with one
// folder as with several; a path is used as given.
TEST(BatchCommandLine, AReportNamedBareGoesIntoTheWorkingFolder) {
#ifndef ZORNAK_WITH_REPORT
  GTEST_SKIP() << "no report plugin in this build";
#endif
  TestFolder folder, elsewhere;
  CopyDemo(folder);
  ASSERT_EQ(Batch({"--pdf", "Sprawozdanie.pdf", folder.Path()}).status, 0);
  EXPECT_TRUE(folder.Exists("Sprawozdanie.pdf"));
  EXPECT_FALSE(fs::exists("Sprawozdanie.pdf"));
  ASSERT_EQ(Batch({"--pdf", elsewhere.File("Raport.pdf"), folder.Path()}).status, 0);
  EXPECT_TRUE(elsewhere.Exists("Raport.pdf"));
  EXPECT_FALSE(folder.Exists("Raport.pdf"));
}

// m0(i), the m0 of the fit without point i, as the JSON and Kontrola.tra give it, against
// refits of the demo's points.
TEST(BatchCommandLine, EveryPointsM0WithoutItAgreesWithARefit) {
  TestFolder folder;
  folder.CopyDemo();
  const std::optional<JsonValue> json = ParseJson(Batch({"--json", folder.Path()}).out);
  ASSERT_TRUE(json);
  TPktDostosowania points;
  std::string header;
  std::int32_t n1, n2;
  ASSERT_EQ(TPktBIN().CzytajBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, points), 0);
  const std::string control = textio::Cp1250ToUtf8(folder.Read("Kontrola.tra"));
  const JsonValue& listed = (*json)["adjustment_points"];
  ASSERT_EQ(listed.items.size(), points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const JsonValue& p = listed[i];
    ASSERT_EQ(p["nr"].text, std::string(TrimmedNumber(points[i].Nr)));
    const Refit refit = RefitWithout(points, 1, 1, i);
    EXPECT_NEAR(p["m0_i"].number, static_cast<double>(refit.m0i), 1e-12) << p["nr"].text;
    EXPECT_NEAR(p["d"].number, static_cast<double>(refit.d), 1e-9) << p["nr"].text;
    // The point's row in Kontrola.tra ends with m0(i) to 0.1 mm.
    const std::string row = " " + p["nr"].text + "  " + textio::Fixed(points[i].x1, 0, 4);
    const std::size_t at = control.find(row);
    ASSERT_NE(at, std::string::npos) << row;
    const std::string line = control.substr(at, control.find('\n', at) - at);
    EXPECT_NE(line.find(textio::Fixed(refit.m0i, 9, 4)), std::string::npos) << line;
  }
}

// The demo with point 120's y2 moved by half a metre.
void CopyBlunderDemo(const TestFolder& folder) {
  folder.CopyDemo();
  TPktDostosowania points;
  std::string header;
  std::int32_t n1, n2;
  ASSERT_EQ(TPktBIN().CzytajBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, points), 0);
  for (TPkt& p : points) {
    if (TrimmedNumber(p.Nr) == "120") p.y2 += 0.5L;
  }
  ASSERT_TRUE(WriteTransPktBIN(folder.File("TRANSPKT.BIN"), header, n1, n2, points));
}

// A point flagged at 0.001 whose T stays below the set's critical value (200 points: F_kr
// 7.03, F_kr,zb 8.44) is named "do sprawdzenia": no question, exit 0, the map converted.
TEST(BatchCommandLine, AFlaggedPointBelowTheSetsValueIsToBeChecked) {
  std::mt19937 random(200);
  std::uniform_real_distribution<long double> spread(0, 3000);
  std::normal_distribution<long double> noise(0, 0.01L);
  TPktDostosowania points;
  for (int i = 1; i <= 200; ++i) {
    const long double x = 5566000 + spread(random), y = 7455000 + spread(random);
    points.push_back({"P" + std::to_string(i), x, y, x + 0.2L + noise(random), y + noise(random)});
  }
  // The size of the blunder on P50 that puts its T between the two critical values.
  TransformationWork work;
  auto input = std::make_shared<TransformationInput>();
  input->opened = true;
  bool found = false;
  for (long double blunder = 0.02L; blunder < 0.08L && !found; blunder += 0.001L) {
    input->points = points;
    input->points[49].y2 += blunder;
    const auto r = ComputeTransformation({1, 1, 4}, input, nullptr, {1, 0, false, {}}, work);
    found = r->checks[49].flagged && !HasSuspectPoints(*r);
  }
  ASSERT_TRUE(found);
  TestFolder folder;
  folder.WriteAdjustmentPoints(input->points);
  folder.Write("PUNKTY.ept", "1                   5567000 7456000 0 0\r\n");
  const BatchResult r = Batch({"--strict", folder.Path()});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(folder.Exists("Punkty.ep_"));  // --strict converts: nothing is suspect
  EXPECT_NE(r.out.find("Punkty podejrzane (test zbioru: największe T > F_kr,zb = 8.4"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(", poniżej progu zbioru): P50\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Do sprawdzenia (T > F_kr = 7.0"), std::string::npos) << r.out;
}

// The surveyor's limits on the demo (m0 0.0205 m, largest residual 0.0619 m at PD-136): met,
// not met (exit 7, and --strict converts nothing), from the command line or Limity.txt, the
// command line over the file; a faulty line of the file is an input problem. Without limits
// Kontrola.tra has no limit block and the JSON says null.
TEST(BatchCommandLine, TheSurveyorsLimits) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* file;  // Limity.txt; null: none
    int status;
    bool converted, met;
  };
  const Case cases[] = {
      {"none", {}, nullptr, 0, true, true},
      {"m0 met", {"--limit-m0", "0.05"}, nullptr, 0, true, true},
      {"m0 not met", {"--limit-m0", "0.01"}, nullptr, 7, true, false},
      {"not met, strict", {"--strict", "--limit-m0", "0.01"}, nullptr, 7, false, false},
      {"residual not met", {"--limit-residual", "0.05"}, nullptr, 7, true, false},
      {"both met", {"--limit-m0", "0.05", "--limit-residual", "0.07"}, nullptr, 0, true, true},
      {"from the file", {}, "# limity\r\nm0 0,01\r\nodchylka 0.1\r\n", 7, true, false},
      {"the command line over the file", {"--limit-m0", "0.03"}, "m0 0.01\r\n", 0, true, true},
      {"a faulty line", {}, "m0 0.05\r\nsigma 3\r\n", 3, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFolder folder;
    CopyDemo(folder);
    if (c.file) folder.Write("Limity.txt", c.file);
    std::vector<std::string> args = c.args;
    args.push_back("--json");
    args.push_back(folder.Path());
    const BatchResult r = Batch(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(folder.Exists("Dzialki.ed_"), c.converted);
    const std::optional<JsonValue> json = ParseJson(r.out);
    ASSERT_TRUE(json) << r.out;
    const std::string control = textio::Cp1250ToUtf8(folder.Read("Kontrola.tra"));
    const bool limited = !(*json)["limits"].IsNull();
    EXPECT_EQ(limited, std::string(c.name) != "none");
    EXPECT_EQ(control.find("LIMITY DOKŁADNOŚCI") != std::string::npos, limited);
    if (!limited) continue;
    EXPECT_EQ((*json)["limits"]["met"].boolean, c.met);
    EXPECT_NE(control.find(c.met ? "  wynik: spełnia" : "  wynik: nie spełnia"), std::string::npos);
    // Both keys stand, a limit not given null.
    const auto given = [&](const char* option, const char* line) {
      return std::find(c.args.begin(), c.args.end(), option) != c.args.end() ||
             (c.file && std::string(c.file).find(line) != std::string::npos);
    };
    ASSERT_TRUE((*json)["limits"].Has("m0"));
    ASSERT_TRUE((*json)["limits"].Has("max_residual"));
    EXPECT_EQ((*json)["limits"]["m0"].IsNull(), !given("--limit-m0", "m0 "));
    EXPECT_EQ((*json)["limits"]["max_residual"].IsNull(), !given("--limit-residual", "odchylka "));
    if (!(*json)["limits"]["m0"].IsNull()) {
      EXPECT_NEAR((*json)["limits"]["m0"]["value"].number, 0.0205, 5e-5);
    }
  }
}

// Where exits 6 and 7 stand among the folders of one call: after 5, 4 and 1, 7 before 6,
// both before 3 and 0 ("5 przed 4 przed 1 przed 7 przed 6 przed 3"), whichever folder
// comes first.
TEST(BatchCommandLine, SuspectPointsAndLimitsRankAmongSeveralFolders) {
  enum Kind { kClean, kSuspect, kInputProblem, kNoFit, kMissing, kLimits };
  const auto make = [](Kind kind, const TestFolder& folder) {
    switch (kind) {
      case kClean:
        folder.CopyDemo();
        break;
      case kSuspect:
        CopyBlunderDemo(folder);
        break;
      case kInputProblem:
        folder.CopyDemo();
        folder.Write("Wykluczone.txt", "nieznany\r\n");
        break;
      case kNoFit:
        folder.WriteAdjustmentPoints({{"1", 5567000, 7456000, 5567000.1L, 7456000.1L}});
        break;
      case kMissing:
        break;
      case kLimits:  // the demo's m0 is 0.0205 m
        folder.CopyDemo();
        folder.Write("Limity.txt", "m0 0.001\r\n");
        break;
    }
  };
  struct Case {
    Kind first, second;
    int status;
  };
  const Case cases[] = {
      {kSuspect, kClean, 6},        {kClean, kSuspect, 6},   {kSuspect, kInputProblem, 6},
      {kInputProblem, kSuspect, 6}, {kSuspect, kMissing, 1}, {kMissing, kSuspect, 1},
      {kSuspect, kNoFit, 4},        {kNoFit, kSuspect, 4},   {kLimits, kSuspect, 7},
      {kSuspect, kLimits, 7},       {kLimits, kClean, 7},    {kInputProblem, kLimits, 7},
      {kLimits, kInputProblem, 7},  {kLimits, kMissing, 1},  {kNoFit, kLimits, 4},
  };
  for (const Case& c : cases) {
    TestFolder a, b;
    make(c.first, a);
    make(c.second, b);
    const std::string first = c.first == kMissing ? a.File("gone") : a.Path();
    const std::string second = c.second == kMissing ? b.File("gone") : b.Path();
    EXPECT_EQ(Batch({"--seams", a.File("Szwy.txt"), first, second}).status, c.status)
        << c.first << " " << c.second;
  }
}

// Six blunders that hide one another: the set's test names no point, so the run exits 0 as
// before, but the proposal is the robust search's, named as such, with data snooping's
// (empty) beside it; a single blunder keeps data snooping's proposal and says so.
TEST(BatchCommandLine, TheRobustProposalIsNamedInTheSummaryAndTheJson) {
  const BlunderSet set = MaskedBlunderSet();
  TestFolder folder;
  folder.WriteAdjustmentPoints(set.points);
  const BatchResult r = Batch({"--json", folder.Path()});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::optional<JsonValue> json = ParseJson(r.out);
  ASSERT_TRUE(json) << r.out;
  EXPECT_EQ((*json)["proposal_method"].text, "robust");
  EXPECT_TRUE((*json)["data_snooping_exclusions"].items.empty());
  std::vector<std::string> proposed;
  for (const JsonValue& p : (*json)["proposed_exclusions"].items) {
    proposed.push_back(p["nr"].text);
    EXPECT_GT(p["t"].number, 0);
  }
  std::sort(proposed.begin(), proposed.end());
  EXPECT_EQ(proposed, set.moved);
  EXPECT_NE(
      Batch({folder.Path()}).out.find("Propozycja wyłączeń (metoda odporna; T, m0 bez nich): "),
      std::string::npos);

  TestFolder one;
  CopyBlunderDemo(one);
  const std::optional<JsonValue> single = ParseJson(Batch({"--json", one.Path()}).out);
  ASSERT_TRUE(single);
  EXPECT_EQ((*single)["proposal_method"].text, "data_snooping");
  ASSERT_EQ((*single)["data_snooping_exclusions"].items.size(), 1u);
  EXPECT_EQ((*single)["data_snooping_exclusions"][0]["nr"].text, "120");
}

// A blunder reaches the map only with a word: the run converts but exits 6, naming the
// point; with --strict it converts nothing. The clean demo flags nothing and exits 0.
TEST(BatchCommandLine, SuspectPointsExitSixAndStrictConvertsNothing) {
  TestFolder clean;
  clean.CopyDemo();
  const std::optional<JsonValue> demo = ParseJson(Batch({"--json", clean.Path()}).out);
  ASSERT_TRUE(demo);
  EXPECT_EQ((*demo)["exit_status"].number, 0);
  EXPECT_TRUE((*demo)["proposed_exclusions"].items.empty());
  for (const JsonValue& p : (*demo)["adjustment_points"].items)
    EXPECT_FALSE(p["flagged"].boolean) << p["nr"].text;

  TestFolder folder;
  CopyBlunderDemo(folder);
  const BatchResult r = Batch({"--json", folder.Path()});
  EXPECT_EQ(r.status, 6) << r.err;
  const std::optional<JsonValue> json = ParseJson(r.out);
  ASSERT_TRUE(json) << r.out;
  const double critical = (*json)["f_critical"].number;
  EXPECT_NEAR(critical, 33 * (std::pow(0.001, -2.0 / 66) - 1), 1e-9);  // r - 2 = 72 - 4 - 2
  std::vector<std::string> flagged;
  for (const JsonValue& p : (*json)["adjustment_points"].items) {
    if (p["flagged"].boolean) flagged.push_back(p["nr"].text);
    EXPECT_EQ(p["flagged"].boolean, p["t"].number > critical) << p["nr"].text;
  }
  EXPECT_EQ(flagged, std::vector<std::string>{"120"});
  ASSERT_EQ((*json)["proposed_exclusions"].items.size(), 1u);
  EXPECT_EQ((*json)["proposed_exclusions"][0]["nr"].text, "120");
  EXPECT_TRUE(folder.Exists("Dzialki.ed_"));  // converted, as without the judgement
  EXPECT_NE(
      Batch({folder.Path()}).out.find("Punkty podejrzane (test zbioru: największe T > F_kr,zb = "),
      std::string::npos);
  // The set's critical value of its 36 tested points: F(2, 66) at 1 - 0.95^(1/36).
  const double setLevel = 1 - std::pow(0.95, 1.0 / 36);
  EXPECT_NEAR((*json)["f_critical_set"].number, 33 * (std::pow(setLevel, -2.0 / 66) - 1), 1e-9);
  for (const JsonValue& p : (*json)["adjustment_points"].items)
    EXPECT_EQ(p["suspect"].boolean, p["nr"].text == "120") << p["nr"].text;

  TestFolder strict;
  CopyBlunderDemo(strict);
  strict.Write("Dzialki.ed_", "earlier");
  const BatchResult s = Batch({"--strict", "--json", strict.Path()});
  EXPECT_EQ(s.status, 6) << s.err;
  EXPECT_EQ(strict.Read("Dzialki.ed_"), "earlier");
  for (const char* name : kConvertedNames) {
    if (std::string(name) != "Dzialki.ed_") {
      EXPECT_FALSE(strict.Exists(name)) << name;
    }
  }
  const std::optional<JsonValue> sj = ParseJson(s.out);
  ASSERT_TRUE(sj);
  EXPECT_TRUE(HasMessage(*sj, "*** Punkty podejrzane - pliki mapy nie zostały przekształcone"));
#ifdef ZORNAK_WITH_GDAL
  // Nor is a GeoPackage made from the previous run's converted files.
  EXPECT_EQ(Batch({"--strict", "--gpkg", strict.Path()}).status, 6);
  EXPECT_FALSE(strict.Exists("Mapa.gpkg"));
#endif

  // Without a map file there is nothing to keep from conversion: no message, still exit 6.
  TestFolder bare;
  CopyBlunderDemo(bare);
  for (const char* name :
       {"DZIALKI.edz", "KONTURY.edz", "PUNKTY.ept", "WARSTWY.txt", "OBIEKTY.txt"})
    bare.Remove(name);
  const BatchResult b = Batch({"--strict", "--json", bare.Path()});
  EXPECT_EQ(b.status, 6) << b.err;
  const std::optional<JsonValue> bj = ParseJson(b.out);
  ASSERT_TRUE(bj);
  EXPECT_FALSE(HasMessage(*bj, "*** Punkty podejrzane"));
}

}  // namespace
