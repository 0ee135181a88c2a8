#include "convert/SectionedFile.h"

#include "convert/MapFiles.h"
#include "shell/WriteFailure.h"
#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/NumberReading.h"
#include "textio/TextFile.h"

namespace {

struct SectionedCounts {
  int lines = 0;    // every line read
  int records = 0;  // records of kinds 1 and 2 converted
};

SectionedCounts ConvertSections(const SectionedFormat& format, textio::TextFileReader& in,
                                textio::TextFileWriter& converted,
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
    if (!format.record(words, state, out)) {
      protocol.WriteLine(std::to_string(state.kind) + failed + line);
      continue;
    }
    ++counts.records;
    converted.WriteLine(out);
  } while (!in.AtEnd());
  return counts;
}

}  // namespace

int RunSectionedTask(const SectionedFormat& format, WindowOperations& window) {
  if (format.statusFirst) window.ShowStatus(format.status);
  textio::TextFileReader in;
  in.Open(SlotPath(format.input));
  textio::TextFileWriter converted, protocol;
  converted.Create(SlotPath(format.converted));
  protocol.Create(SlotPath(format.protocol));
  if (format.markInput) MarkPanel(window, format.input);
  MarkPanel(window, format.converted);
  MarkPanel(window, format.protocol);
  protocol.WriteLine(format.title);
  if (!format.statusFirst) window.ShowStatus(format.status);

  const SectionedCounts counts = ConvertSections(format, in, converted, protocol);
  const std::string contains = textio::Utf8ToCp1250(" Zbiór zawiera ");
  protocol.WriteLine(contains + std::to_string(counts.lines) + " linii");
  protocol.WriteLine(contains + std::to_string(counts.records) + textio::Utf8ToCp1250(" punktów"));
  window.SetCounter(format.counter, std::to_string(counts.records));
  CloseOrReport(converted, window);
  CloseOrReport(protocol, window);
  return counts.records;
}

bool WordNumber(std::string_view word, long double& value) {
  return textio::ParseNumber(word, value);
}

void AppendCoordinate(std::string& out, long double value) {
  textio::AppendFixed(out, value, 10, 2);
}
