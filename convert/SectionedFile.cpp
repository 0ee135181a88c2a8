#include "convert/SectionedFile.h"

#include <algorithm>

#include "convert/PairBatch.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/NumberReading.h"
#include "textio/TextFile.h"
#include "transform/TransformPoint.h"

namespace {

// A second position of a kind 2 record holds coordinates only when both its values exceed
// this (m); smaller values are codes or placeholders and stand as they are.
constexpr long double kCoordinateThreshold = 10000;

struct SectionedCounts {
  int lines = 0;    // every line read
  int records = 0;  // records of kinds 1 and 2 converted
  int faulty = 0;   // records of kinds 1 and 2 left out
};

// A line as read, with the section state it stands in; a record line of kind 1 or 2 gets
// its converted text (ok) or stays faulty.
struct SectionLine {
  std::string text;
  SectionState state;
  bool record = false;
  bool ok = false;
  std::string converted;
};

struct SectionBatch {
  std::vector<SectionLine> lines;
  std::size_t count = 0;
};

constexpr std::size_t kLinesPerChunk = 32;  // record lines a thread claims at a time

// Lines are read one after another (section lines set the state of the lines after them),
// the record lines of a batch converted together by the team, and each batch written in
// input order while the next one is converted.
class SectionPass {
 public:
  SectionPass(const SectionedFormat& format, const TaskContext& context, textio::TextFileReader& in,
              textio::TextFileWriter& converted, textio::TextFileWriter& protocol)
      : format_(format),
        context_(context),
        in_(in),
        converted_(converted),
        protocol_(protocol),
        failed_(textio::Utf8ToCp1250(" *** Błędny rekord: ")) {}

  SectionedCounts Run();

 private:
  void Read(SectionBatch& batch);
  void Start(WorkTeam& team, SectionBatch& batch);
  void Write(const SectionBatch& batch);

  const SectionedFormat& format_;
  const TaskContext& context_;
  textio::TextFileReader& in_;
  textio::TextFileWriter &converted_, &protocol_;
  const std::string failed_;
  SectionedCounts counts_;
  SectionState state_;
  SplitLine words_;
  bool more_ = true;
};

void SectionPass::Read(SectionBatch& batch) {
  const std::size_t size = std::max<std::size_t>(1, context_.work.batchPairs);
  if (batch.lines.size() < size) batch.lines.resize(size);
  batch.count = 0;
  while (more_ && batch.count < size) {
    SectionLine& line = batch.lines[batch.count++];
    in_.ReadLine(line.text);
    ++counts_.lines;
    SplitWords(line.text, words_);
    line.record = !format_.sectionLine(words_, state_) && (state_.kind == 1 || state_.kind == 2);
    line.state = state_;
    more_ = !in_.AtEnd();
  }
}

void SectionPass::Start(WorkTeam& team, SectionBatch& batch) {
  team.Start(batch.count, kLinesPerChunk, [this, &batch](std::size_t begin, std::size_t end) {
    SplitLine words;
    for (std::size_t i = begin; i < end; ++i) {
      SectionLine& line = batch.lines[i];
      if (!line.record) continue;
      SplitWords(line.text, words);
      line.converted.clear();
      line.ok = format_.record(words, line.state, context_.transformation, line.converted);
    }
  });
}

void SectionPass::Write(const SectionBatch& batch) {
  for (std::size_t i = 0; i < batch.count; ++i) {
    const SectionLine& line = batch.lines[i];
    if (!line.record) {
      converted_.WriteLine(line.text);
    } else if (line.ok) {
      ++counts_.records;
      converted_.WriteLine(line.converted);
    } else {
      ++counts_.faulty;
      protocol_.WriteLine(std::to_string(line.state.kind) + failed_ + line.text);
    }
  }
}

SectionedCounts SectionPass::Run() {
  WorkTeam team(ConversionThreads(context_.work));
  // An empty input still gives one (empty) line.
  RunBatches<SectionBatch>(
      team, [this] { return more_; }, [this](SectionBatch& b) { Read(b); },
      [&](SectionBatch& b) { Start(team, b); }, [this](const SectionBatch& b) { Write(b); });
  return counts_;
}

void AppendPosition(std::string& out, long double value, const PositionLayout& layout) {
  if (layout.scientific) {
    textio::AppendScientific(out, value);
  } else {
    textio::AppendFixed(out, value, 10, 2);
  }
}

// The position (x, y) transformed: X, `gap` blanks, Y.
void AppendTransformed(std::string& out, const TFittedTransformation& f, long double x,
                       long double y, int gap, const PositionLayout& layout) {
  TransformedPoint t;
  TransformPoint(f, x, y, t);
  AppendPosition(out, t.Xk, layout);
  out.append(gap, ' ');
  AppendPosition(out, t.Yk, layout);
}

void AppendWordsBefore(std::string& out, const SplitLine& w, const PositionLayout& layout) {
  for (int k = 1; k < layout.firstWord; ++k) {
    out += w.Word(k);
    out += ' ';
  }
}

}  // namespace

TaskResult RunSectionedTask(const SectionedFormat& format, TaskContext& context) {
  RunEvents& events = context.events;
  const MapFileSlots& slots = SlotsOf(format.file);
  if (format.statusFirst) events.ShowStatus(format.status);
  textio::TextFileReader in;
  in.Open(context.files.SlotPath(slots.input));
  textio::TextFileWriter converted, protocol;
  converted.Create(context.files.SlotPath(slots.converted));
  protocol.Create(context.files.SlotPath(slots.protocol));
  if (format.markInput) events.ShowPanel(slots.input, PanelState::Output);
  protocol.WriteLine(format.title);
  if (!format.statusFirst) events.ShowStatus(format.status);

  const SectionedCounts counts = SectionPass(format, context, in, converted, protocol).Run();
  const std::string contains = textio::Utf8ToCp1250(" Zbiór zawiera ");
  protocol.WriteLine(contains + std::to_string(counts.lines) + " linii");
  protocol.WriteLine(contains + std::to_string(counts.records) + textio::Utf8ToCp1250(" punktów"));
  events.SetCounter(format.counter, std::to_string(counts.records));
  TaskResult result;
  FinishOutput(context, converted, slots.converted, result);
  result.converted = !result.writeFailed;
  FinishOutput(context, protocol, slots.protocol, result);
  if (!result.converted) ClearCounters(context, {format.counter});
  result.records = counts.records;
  result.errors = counts.faulty;
  return result;
}

SectionRecordReader::SectionRecordReader(const SectionedFormat& format, const std::string& path)
    : format_(format) {
  in_.Open(path);
}

bool SectionRecordReader::Next(SectionRecord& record) {
  while (in_.ReadLine(line_)) {
    SplitWords(line_, words_);
    if (format_.sectionLine(words_, state_) || (state_.kind != 1 && state_.kind != 2)) continue;
    const int p = format_.layout(state_).firstWord;
    long double x, y, x2, y2;
    if (!WordNumber(words_.Word(p), x) || !WordNumber(words_.Word(p + 1), y)) continue;
    record.kind = state_.kind;
    record.words = &words_;
    record.positions.assign(1, {x, y});
    if (state_.kind == 2 && WordNumber(words_.Word(p + 2), x2) &&
        WordNumber(words_.Word(p + 3), y2) && x2 > kCoordinateThreshold &&
        y2 > kCoordinateThreshold) {
      record.positions.emplace_back(x2, y2);
    }
    return true;
  }
  return false;
}

void ReadSectionPositions(const SectionedFormat& format, const std::string& path,
                          std::vector<std::pair<long double, long double>>& positions) {
  ForEachSectionRecord(format, path, [&](const SectionRecord& record) {
    positions.insert(positions.end(), record.positions.begin(), record.positions.end());
  });
}

bool WordNumber(std::string_view word, long double& value) {
  return textio::ParseNumber(word, value);
}

bool OnePositionRecord(const SplitLine& w, const PositionLayout& layout,
                       const TFittedTransformation& f, bool tail, std::string& out) {
  const int p = layout.firstWord;
  long double x, y;
  if (!WordNumber(w.Word(p), x) || !WordNumber(w.Word(p + 1), y)) return false;
  AppendWordsBefore(out, w, layout);
  AppendTransformed(out, f, x, y, 8, layout);
  out.append(5, ' ');
  if (tail) out += w.TailAfter(p + 1);
  return true;
}

bool TwoPositionRecord(const SplitLine& w, const PositionLayout& layout,
                       const TFittedTransformation& f, std::string& out) {
  const int p = layout.firstWord;
  long double x1, y1, x2, y2;
  if (!WordNumber(w.Word(p), x1) || !WordNumber(w.Word(p + 1), y1) ||
      !WordNumber(w.Word(p + 2), x2) || !WordNumber(w.Word(p + 3), y2)) {
    return false;
  }
  AppendWordsBefore(out, w, layout);
  AppendTransformed(out, f, x1, y1, 5, layout);
  out.append(5, ' ');
  if (x2 > kCoordinateThreshold && y2 > kCoordinateThreshold) {
    AppendTransformed(out, f, x2, y2, 5, layout);
  } else {
    out += w.Word(p + 2);
    out.append(5, ' ');
    out += w.Word(p + 3);
  }
  out.append(layout.closingBlanks, ' ');
  out += w.TailAfter(p + 3);
  return true;
}
