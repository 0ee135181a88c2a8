#include "convert/LayerFile.h"

#include <charconv>
#include <cstdint>

#include "convert/MapFiles.h"
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
  for (const Code& c :
       {Code{"121", 1, false}, Code{"249", 1, true}, Code{"23", 2, false}, Code{"151", 2, true}}) {
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

// Layout A writes coordinates in fixed(10,2), layout B in the scientific form.
void AppendPosition(std::string& out, long double value, bool layoutB) {
  if (layoutB) {
    textio::AppendScientific(out, value);
  } else {
    AppendCoordinate(out, value);
  }
}

void AppendWords(std::string& out, const SplitLine& w, int first, int last) {
  for (int k = first; k <= last; ++k) {
    out += w.Word(k);
    out += ' ';
  }
}

bool KindOneRecord(const SplitLine& w, const SectionState& s, std::string& out) {
  const int o = s.layoutB ? 1 : 0;
  long double x, y, x2 = 0, y2 = 0;
  const bool second = (CodeValue(w.Word(6 + o)) & 32) != 0;
  if (!WordNumber(w.Word(2 + o), x) || !WordNumber(w.Word(3 + o), y)) return false;
  if (second && (!WordNumber(w.Word(7 + o), x2) || !WordNumber(w.Word(8 + o), y2))) return false;
  TransformedPoint t;
  TransformPoint(x, y, t);
  AppendWords(out, w, 1, 1 + o);
  AppendPosition(out, t.Xk, s.layoutB);
  out.append(8, ' ');
  AppendPosition(out, t.Yk, s.layoutB);
  out.append(5, ' ');
  if (!second) {
    out += w.TailAfter(3 + o);
    return true;
  }
  TransformPoint(x2, y2, t);
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

// The second position is transformed only when both its values exceed 10000 m; otherwise
// its words stand as they are.
bool KindTwoRecord(const SplitLine& w, const SectionState& s, std::string& out) {
  const int o = s.layoutB ? 1 : 0;
  long double x1, y1, x2, y2;
  if (!WordNumber(w.Word(3 + o), x1) || !WordNumber(w.Word(4 + o), y1) ||
      !WordNumber(w.Word(5 + o), x2) || !WordNumber(w.Word(6 + o), y2)) {
    return false;
  }
  TransformedPoint t;
  TransformPoint(x1, y1, t);
  AppendWords(out, w, 1, 2 + o);
  for (long double v : {t.Xk, t.Yk}) {
    AppendPosition(out, v, s.layoutB);
    out.append(5, ' ');
  }
  if (x2 > 10000 && y2 > 10000) {
    TransformPoint(x2, y2, t);
    for (long double v : {t.Xk, t.Yk}) {
      AppendPosition(out, v, s.layoutB);
      out.append(5, ' ');
    }
  } else {
    for (int k = 5 + o; k <= 6 + o; ++k) {
      out += w.Word(k);
      out.append(5, ' ');
    }
  }
  out += w.TailAfter(6 + o);
  return true;
}

bool LayerRecord(const SplitLine& w, const SectionState& s, std::string& out) {
  return s.kind == 1 ? KindOneRecord(w, s, out) : KindTwoRecord(w, s, out);
}

}  // namespace

int ConvertLayerFile(WindowOperations& window) {
  return RunSectionedTask({LayerSectionLine, LayerRecord, slot::kLayers, slot::kLayersOut,
                           slot::kLayersProtocol, false, " DIAGNOSTYKA ZBIORU: WARSTWY.txt",
                           " Przetwarzam WARSTWY.txt - proszę czekać", true, CounterField::Edit13},
                          window);
}
