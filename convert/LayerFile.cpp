// The layer file: sections of kind 1 (one position, codes 121 and 249, with an optional
// second position when bit 5 of the code value is set) and kind 2 (two positions, codes
// 23 and 151), each in layout A (fixed-point) or B (scientific, one more leading word).
// Converts Warstwy.txt into Warstwy.tx_ with the protocol Protokol4.txt.
#include <charconv>
#include <cstdint>

#include "convert/SectionedFile.h"
#include "textio/NumberForms.h"
#include "transform/TransformPoint.h"

namespace {

bool LayerSectionLine(const SplitLine& w, SectionState& state) {
  struct Code {
    const char* text;
    int kind;
    bool layoutB;
  };
  for (const Code& c : {Code{.text = "121", .kind = 1, .layoutB = false},
                        Code{.text = "249", .kind = 1, .layoutB = true},
                        Code{.text = "23", .kind = 2, .layoutB = false},
                        Code{.text = "151", .kind = 2, .layoutB = true}}) {
    if (w.Word(2) == c.text) {
      state.kind = c.kind;
      state.layoutB = c.layoutB;
      return true;
    }
  }
  if (w.Word(1) == "**") state.kind = 3;
  if (w.Word(1) == "****") state.kind = 4;
  return w.Word(1) == "**" || w.Word(1) == "****";
}

// The integer value of a code word; 0 when it is not an integer.
std::int32_t CodeValue(std::string_view word) {
  if (!word.empty() && word[0] == '+') word.remove_prefix(1);
  std::int32_t value = 0;
  const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || result.ec != std::errc() || result.ptr != word.data() + word.size()) {
    return 0;
  }
  return value;
}

// Layout B has one more leading word and writes its positions in the scientific form.
PositionLayout LayoutOf(const SectionState& s, int firstWord) {
  const int o = s.layoutB ? 1 : 0;
  return {firstWord + o, s.layoutB, 5};
}

PositionLayout LayerLayout(const SectionState& s) {
  return LayoutOf(s, s.kind == 1 ? 2 : 3);
}

// A kind 1 record whose code value has bit 5 set carries a second position after three
// more words; it is written in the general form, the rest of the line after it.
bool KindOneRecord(const SplitLine& w, const SectionState& s, const TFittedTransformation& f,
                   std::string& out) {
  const int o = s.layoutB ? 1 : 0;
  const bool second = (CodeValue(w.Word(6 + o)) & 32) != 0;
  long double x2 = 0, y2 = 0;
  if (second && (!WordNumber(w.Word(7 + o), x2) || !WordNumber(w.Word(8 + o), y2))) return false;
  if (!OnePositionRecord(w, LayerLayout(s), f, !second, out)) return false;
  if (!second) return true;
  TransformedPoint t;
  TransformPoint(f, x2, y2, t);
  for (int k = 4 + o; k <= 6 + o; ++k) {
    out += ' ';
    out += w.Word(k);
  }
  out += ' ';
  textio::AppendGeneral(out, t.Xk);
  out += ' ';
  textio::AppendGeneral(out, t.Yk);
  out += w.TailAfter(8 + o);
  return true;
}

bool LayerRecord(const SplitLine& w, const SectionState& s, const TFittedTransformation& f,
                 std::string& out) {
  if (s.kind == 1) return KindOneRecord(w, s, f, out);
  return TwoPositionRecord(w, LayerLayout(s), f, out);
}

}  // namespace

const SectionedFormat& LayerFormat() {
  static const SectionedFormat format = {
      .sectionLine = LayerSectionLine,
      .record = LayerRecord,
      .file = MapFile::Layers,
      .markInput = false,
      .title = " DIAGNOSTYKA ZBIORU: WARSTWY.txt",
      .status = " Przetwarzam WARSTWY.txt - proszę czekać",
      .statusFirst = true,
      .counter = Counter::LayerPoints,
      .layout = LayerLayout,
  };
  return format;
}

TaskResult ConvertLayers(TaskContext& context) {
  return RunSectionedTask(LayerFormat(), context);
}
