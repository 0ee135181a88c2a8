#include "convert/SectionedFile.h"

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

SectionedCounts ConvertSections(const SectionedFormat& format, const TFittedTransformation& f,
                                textio::TextFileReader& in, textio::TextFileWriter& converted,
                                textio::TextFileWriter& protocol) {
  SectionedCounts counts;
  SectionState state;
  SplitLine words;
  std::string line, out;
  const std::string failed = textio::Utf8ToCp1250(" *** Błędny rekord: ");
  do {
    in.ReadLine(line);
    ++counts.lines;
    SplitWords(line, words);
    if (format.sectionLine(words, state) || (state.kind != 1 && state.kind != 2)) {
      converted.WriteLine(line);
      continue;
    }
    out.clear();
    if (!format.record(words, state, f, out)) {
      ++counts.faulty;
      protocol.WriteLine(std::to_string(state.kind) + failed + line);
      continue;
    }
    ++counts.records;
    converted.WriteLine(out);
  } while (!in.AtEnd());
  return counts;
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
  WindowOperations& window = context.window;
  const MapFileSlots& slots = SlotsOf(format.file);
  if (format.statusFirst) window.ShowStatus(format.status);
  textio::TextFileReader in;
  in.Open(context.files.SlotPath(slots.input));
  textio::TextFileWriter converted, protocol;
  converted.Create(context.files.SlotPath(slots.converted));
  protocol.Create(context.files.SlotPath(slots.protocol));
  if (format.markInput) window.ShowPanel(slots.input, PanelState::Output);
  protocol.WriteLine(format.title);
  if (!format.statusFirst) window.ShowStatus(format.status);

  const SectionedCounts counts =
      ConvertSections(format, context.transformation, in, converted, protocol);
  const std::string contains = textio::Utf8ToCp1250(" Zbiór zawiera ");
  protocol.WriteLine(contains + std::to_string(counts.lines) + " linii");
  protocol.WriteLine(contains + std::to_string(counts.records) + textio::Utf8ToCp1250(" punktów"));
  window.SetCounter(format.counter, std::to_string(counts.records));
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
