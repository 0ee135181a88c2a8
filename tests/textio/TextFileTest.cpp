#include "textio/TextFile.h"

#include <gtest/gtest.h>

#include "tests/TestFolder.h"
#include "textio/FolderFiles.h"

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
