// The common pass of the layer and object files: sections opened by section lines, records
// of kinds 1 (one position) and 2 (two positions) rewritten with transformed positions,
// every other line copied, records with unreadable position words reported in the protocol
// and left out. Both files lay out their position records alike, and one record handler
// writes them for both.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "convert/MapFileTask.h"
#include "convert/SplitWords.h"
#include "textio/TextFile.h"

struct SectionState {
  int kind = 0;          // 0 before the first section line, then 1..4
  bool layoutB = false;  // layer file only: set by the codes 249 and 151
};

// Where a record's positions stand and how they are written.
struct PositionLayout {
  int firstWord;      // the word of the first x; the words before it are copied
  bool scientific;    // the scientific form, else fixed(10,2)
  int closingBlanks;  // blanks after the positions of a kind 2 record
};

struct SectionedFormat {
  // True when the split line is a section line; it then updates `state`.
  bool (*sectionLine)(const SplitLine& words, SectionState& state);
  // The converted record of section kind 1 or 2 into `out`; false when a position word
  // does not read as a number.
  bool (*record)(const SplitLine& words, const SectionState& state,
                 const TFittedTransformation& transformation, std::string& out);
  MapFile file;
  bool markInput;      // the objects task also lights its input's panel
  const char* title;   // the protocol's first line
  const char* status;  // shown when the task starts
  bool statusFirst;    // shown before the files are opened, else after the title
  Counter counter;     // receives the number of converted records
  // Where the first position of a record of section kind 1 or 2 stands.
  PositionLayout (*layout)(const SectionState& state);
};

// The formats of the two files.
const SectionedFormat& LayerFormat();
const SectionedFormat& ObjectFormat();

// A record of section kind 1 or 2 as read: its words and its positions (x, y as written):
// the first, and a kind 2 record's second when it holds coordinates.
struct SectionRecord {
  int kind = 0;
  const SplitLine* words = nullptr;
  std::vector<std::pair<long double, long double>> positions;
};

// Calls `use` with every record of kinds 1 and 2 of a layer or object file whose positions
// read; records with unreadable positions are left out.
template <typename Use>
void ForEachSectionRecord(const SectionedFormat& format, const std::string& path, Use use);

// The positions of every such record, one after another.
void ReadSectionPositions(const SectionedFormat& format, const std::string& path,
                          std::vector<std::pair<long double, long double>>& positions);

// Runs the task to the end of its input (at least one line, also when it is empty).
TaskResult RunSectionedTask(const SectionedFormat& format, TaskContext& context);

// Word forms of both files.
bool WordNumber(std::string_view word, long double& value);

// The reader under ForEachSectionRecord; false at the end of the file.
class SectionRecordReader {
 public:
  SectionRecordReader(const SectionedFormat& format, const std::string& path);
  bool Next(SectionRecord& record);

 private:
  const SectionedFormat& format_;
  textio::TextFileReader in_;
  SectionState state_;
  SplitLine words_;
  std::string line_;
};

template <typename Use>
void ForEachSectionRecord(const SectionedFormat& format, const std::string& path, Use use) {
  SectionRecordReader reader(format, path);
  SectionRecord record;
  while (reader.Next(record))
    use(record);
}

// The words of a kind 1 record: words before the position copied, the position x, y
// transformed, then (with `tail`) the rest of the line after y.
bool OnePositionRecord(const SplitLine& words, const PositionLayout& layout,
                       const TFittedTransformation& transformation, bool tail, std::string& out);
// The words of a kind 2 record: words before the first position copied, both positions
// (the second transformed only when it holds coordinates), the rest of the line.
bool TwoPositionRecord(const SplitLine& words, const PositionLayout& layout,
                       const TFittedTransformation& transformation, std::string& out);
