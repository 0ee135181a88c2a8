#include "textio/TextFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "tests/TestFolder.h"
#include "textio/FolderFiles.h"
#include "textio/Platform.h"
#include "textio/SystemReason.h"

namespace {

std::vector<std::string> ReadAll(const TestFolder& folder, const std::string& bytes) {
  folder.Write("in.txt", bytes);
  textio::TextFileReader reader;
  EXPECT_TRUE(reader.Open(folder.File("in.txt")));
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line))
    lines.push_back(line);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(TextFile, ReadsCrLfBareLfAndStopsAtCtrlZ) {
  TestFolder folder;
  const std::pair<std::string, Lines> cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\r\n\r\nb\n", {"a", "", "b"}},
      {"a\r\nb\x1a"
       "c\r\nd\r\n",
       {"a", "b"}},
      {"a\r\n\x1a\r\n", {"a"}},
      {"\x1a", {}},
      {"", {}},
      {"x\ry\r\n", {"x\ry"}},
  };
  for (const auto& [bytes, expected] : cases)
    EXPECT_EQ(ReadAll(folder, bytes), expected);
}

TEST(TextFile, LongLinesCrossBlocks) {
  TestFolder folder;
  const std::string longLine(200000, 'x');
  EXPECT_EQ(ReadAll(folder, longLine + "\r\n" + longLine), (Lines{longLine, longLine}));
}

TEST(TextFile, MissingFileReadsAsEmpty) {
  textio::TextFileReader reader;
  EXPECT_FALSE(reader.Open("/nonexistent/zornak/file.txt"));
  std::string line;
  EXPECT_FALSE(reader.ReadLine(line));
}

TEST(TextFile, WritesCrLf) {
  TestFolder folder;
  textio::TextFileWriter writer;
  ASSERT_TRUE(writer.Create(folder.File("out.txt")));
  writer.WriteLine("one");
  writer.WriteLine("");
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(folder.Read("out.txt"), "one\r\n\r\n");
}

TEST(TextFile, WriterThatCannotCreateReportsFailure) {
  textio::TextFileWriter writer;
  EXPECT_FALSE(writer.Create("/nonexistent/zornak/out.txt"));
  writer.WriteLine("lost");
  EXPECT_FALSE(writer.Close());
}

TEST(FolderFiles, NamesMatchExistingFilesRegardlessOfCase) {
  TestFolder folder;
  folder.Write("DZIALKI.EDZ", "x");
  EXPECT_EQ(textio::PathInFolder(folder.Path(), "Dzialki.edz"), folder.File("DZIALKI.EDZ"));
  EXPECT_TRUE(textio::FileExistsInFolder(folder.Path(), "dzialki.EDZ"));
  EXPECT_EQ(textio::PathInFolder(folder.Path(), "Dzialki.ed_"), folder.File("Dzialki.ed_"));
  EXPECT_FALSE(textio::FileExistsInFolder(folder.Path(), "Dzialki.ed_"));
}

}  // namespace

namespace {

TEST(TextFileWriter, NameShowsOnlyCompleteFiles) {
  TestFolder folder;
  folder.Write("out.txt", "previous\r\n");
  {
    textio::TextFileWriter writer;
    ASSERT_TRUE(writer.Create(folder.File("out.txt")));
    writer.WriteLine("new");
    EXPECT_EQ(folder.Read("out.txt"), "previous\r\n");  // not yet in place
  }  // dropped without Close, as by a failure before the end
  EXPECT_EQ(folder.Read("out.txt"), "previous\r\n");
  textio::TextFileWriter writer;
  ASSERT_TRUE(writer.Create(folder.File("out.txt")));
  writer.WriteLine("new");
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(folder.Read("out.txt"), "new\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Native()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left
}

TEST(TextFileWriter, FailuresNameTheFileAndTheReason) {
  TestFolder folder;
  std::filesystem::create_directory(folder.Native("Dzialki.ed_"));
  textio::TextFileWriter writer;
  writer.Create(folder.File("Dzialki.ed_"));
  writer.WriteLine("x");
  EXPECT_FALSE(writer.Close());
  EXPECT_EQ(writer.FailureText(), folder.File("Dzialki.ed_") + ": jest katalogiem");

  textio::TextFileWriter missing;
  EXPECT_FALSE(missing.Create("/nonexistent/zornak/out.txt"));
  EXPECT_FALSE(missing.Close());
  EXPECT_EQ(missing.FailureText(),
            std::string("/nonexistent/zornak/out.txt: nie ma takiego pliku ani katalogu"));
}

// A full disk: the file size limit makes writes fail the same way. Windows has no such
// limit to set.
#ifndef _WIN32
TEST(TextFileWriter, FullDiskKeepsThePreviousFile) {
  TestFolder folder;
  folder.Write("out.txt", "previous\r\n");
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100000;
  setrlimit(RLIMIT_FSIZE, &small);
  textio::TextFileWriter writer;
  writer.Create(folder.File("out.txt"));
  for (int i = 0; i < 10000; ++i)
    writer.WriteLine(std::string(100, 'x'));
  const bool closed = writer.Close();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(closed);
  EXPECT_EQ(writer.FailureText(), folder.File("out.txt") + ": " + textio::SystemReason(EFBIG));
  EXPECT_EQ(folder.Read("out.txt"), "previous\r\n");
}
#endif

TEST(TextFileWriter, StaleTemporariesOfDeadProcessesAreRemoved) {
  TestFolder folder;
  folder.Write(std::string("a.txt") + textio::kTemporaryMark + "999999999-0", "x");
  const std::string own = std::string("b.txt") + textio::kTemporaryMark +
                          std::to_string(textio::ProcessNumber()) + "-0";
  folder.Write(own, "x");
  folder.Write("c.txt", "x");
  textio::RemoveStaleTemporaries(folder.Path());
  EXPECT_FALSE(folder.Exists(std::string("a.txt") + textio::kTemporaryMark + "999999999-0"));
  EXPECT_TRUE(folder.Exists(own));
  EXPECT_TRUE(folder.Exists("c.txt"));
}

}  // namespace

namespace {

// The reasons of failed file operations read in Polish whatever the locale; one the table
// does not know keeps the system's words and its number.
TEST(SystemReason, PolishWhateverTheLocale) {
  EXPECT_EQ(textio::SystemReason(EACCES), "brak dostępu");
  EXPECT_EQ(textio::SystemReason(ENOSPC), "brak miejsca na urządzeniu");
  EXPECT_EQ(textio::SystemReason(EROFS), "system plików tylko do odczytu");
  const std::string other = textio::SystemReason(EFBIG);
  EXPECT_EQ(other.rfind("błąd systemu " + std::to_string(EFBIG) + " (", 0), 0u) << other;
}

}  // namespace
