#include "convert/SectionedFile.h"

#include "textio/Cp1250.h"
#include "textio/NumberForms.h"
#include "textio/NumberReading.h"

SectionedCounts ConvertSections(const SectionedFormat& format, const std::string& input,
                                textio::TextFileWriter& converted,
                                textio::TextFileWriter& protocol) {
  textio::TextFileReader in;
  in.Open(input);
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

bool WordNumber(std::string_view word, long double& value) {
  return textio::ParseNumber(word, value);
}

void AppendCoordinate(std::string& out, long double value) {
  textio::AppendFixed(out, value, 10, 2);
}

void WriteSectionTotals(const SectionedCounts& counts, textio::TextFileWriter& protocol) {
  const std::string contains = textio::Utf8ToCp1250(" Zbiór zawiera ");
  protocol.WriteLine(contains + std::to_string(counts.lines) + " linii");
  protocol.WriteLine(contains + std::to_string(counts.records) + textio::Utf8ToCp1250(" punktów"));
}
