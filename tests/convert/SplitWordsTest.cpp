#include "convert/SplitWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/SectionedFile.h"
#include "tests/TestFolder.h"

namespace {

struct SplitCase {
  std::string line;
  std::vector<std::string> words;
  std::vector<std::size_t> ends;  // e(2) .. e(n)
};

TEST(SplitWords, WordsCountsAndEndPositions) {
  const SplitCase cases[] = {
      {"a b c", {"a", "b", "c"}, {2, 4}},
      {"  a   b", {"a", "b"}, {4}},
      {"a b ", {"a", "b", ""}, {2, 4}},
      {"a\t\tb\t", {"a", "b", ""}, {2, 5}},
      {std::string("a\0b", 3), {"a", "b"}, {2}},
      {"", {""}, {}},
      {" \t ", {""}, {}},
      {"word", {"word"}, {}},
  };
  for (const SplitCase& c : cases) {
    SplitLine split;
    SplitWords(c.line, split);
    ASSERT_EQ(split.Count(), static_cast<int>(c.words.size())) << c.line;
    for (int k = 1; k <= split.Count(); ++k)
      EXPECT_EQ(split.Word(k), c.words[k - 1]) << c.line;
    for (int k = 2; k <= split.Count(); ++k)
      EXPECT_EQ(split.End(k), c.ends[k - 2]) << c.line;
    EXPECT_EQ(split.Word(split.Count() + 1), "");
  }
}

TEST(SplitWords, TailsKeepTheirSeparators) {
  SplitLine split;
  SplitWords("P1 1.0\t2.0  rest of\tline ", split);
  EXPECT_EQ(split.TailAfter(1), " 1.0\t2.0  rest of\tline ");
  EXPECT_EQ(split.TailAfter(3), "  rest of\tline ");
  EXPECT_EQ(split.TailAfter(6), " ");  // the empty last word
  EXPECT_EQ(split.TailAfter(7), "");
  SplitWords("a b", split);
  EXPECT_EQ(split.TailAfter(2), "");
}

TEST(SplitWords, LinesOfManyWords) {
  std::string line;
  for (int i = 0; i < 10000; ++i)
    line += "w" + std::to_string(i) + " ";
  SplitLine split;
  SplitWords(line, split);
  EXPECT_EQ(split.Count(), 10001);
  EXPECT_EQ(split.Word(10000), "w9999");
}

}  // namespace

namespace {

// The positions the picture marks: each record's first position, a two-position record's
// second when it holds coordinates; section lines, other sections and faulty records give
// none.
TEST(SectionPositions, ObjectFileByHand) {
  TestFolder folder;
  folder.Write("OBIEKTY.txt",
               "O B 121\r\n"
               "B 1 5567000.00 7456000.00 reszta\r\n"
               "B 1 zle 7456000.00\r\n"
               "O B 23\r\n"
               "B 1 2 5567001 7456001 5567002 7456002\r\n"
               "B 1 2 5567003 7456003 0 0\r\n"
               "** komentarz 5567004 7456004\r\n");
  std::vector<std::pair<long double, long double>> positions;
  ReadSectionPositions(ObjectFormat(), folder.File("OBIEKTY.txt"), positions);
  const std::vector<std::pair<long double, long double>> expected = {
      {5567000, 7456000}, {5567001, 7456001}, {5567002, 7456002}, {5567003, 7456003}};
  EXPECT_EQ(positions, expected);
}

}  // namespace
