#include "convert/ObjectFile.h"

#include "convert/MapFiles.h"
#include "convert/SectionedFile.h"
#include "transform/TransformPoint.h"

namespace {

bool ObjectSectionLine(const SplitLine& w, SectionState& state) {
  if (w.Word(3) == "121" || w.Word(3) == "23") {
    state.kind = w.Word(3) == "121" ? 1 : 2;
    return true;
  }
  if (w.Word(1) == "**") state.kind = 3;
  if (w.Word(1) == "****") state.kind = 4;
  return w.Word(1) == "**" || w.Word(1) == "****";
}

bool KindOneRecord(const SplitLine& w, std::string& out) {
  long double x, y;
  if (!WordNumber(w.Word(3), x) || !WordNumber(w.Word(4), y)) return false;
  TransformedPoint t;
  TransformPoint(x, y, t);
  out += w.Word(1);
  out += ' ';
  out += w.Word(2);
  out += ' ';
  AppendCoordinate(out, t.Xk);
  out.append(8, ' ');
  AppendCoordinate(out, t.Yk);
  out.append(5, ' ');
  out += w.TailAfter(4);
  return true;
}

// The second position is transformed only when both its values exceed 10000 m.
bool KindTwoRecord(const SplitLine& w, std::string& out) {
  long double x1, y1, x2, y2;
  if (!WordNumber(w.Word(4), x1) || !WordNumber(w.Word(5), y1) || !WordNumber(w.Word(6), x2) ||
      !WordNumber(w.Word(7), y2)) {
    return false;
  }
  TransformedPoint t;
  TransformPoint(x1, y1, t);
  for (int k = 1; k <= 3; ++k) {
    out += w.Word(k);
    out += ' ';
  }
  AppendCoordinate(out, t.Xk);
  out.append(5, ' ');
  AppendCoordinate(out, t.Yk);
  out.append(5, ' ');
  if (x2 > 10000 && y2 > 10000) {
    TransformPoint(x2, y2, t);
    AppendCoordinate(out, t.Xk);
    out.append(5, ' ');
    AppendCoordinate(out, t.Yk);
  } else {
    out += w.Word(6);
    out.append(5, ' ');
    out += w.Word(7);
  }
  out.append(3, ' ');
  out += w.TailAfter(7);
  return true;
}

bool ObjectRecord(const SplitLine& w, const SectionState& s, std::string& out) {
  return s.kind == 1 ? KindOneRecord(w, out) : KindTwoRecord(w, out);
}

}  // namespace

int ConvertObjectFile(WindowOperations& window) {
  return RunSectionedTask({ObjectSectionLine, ObjectRecord, slot::kObjects, slot::kObjectsOut,
                           slot::kObjectsProtocol, true, " DIAGNOSTYKA ZBIORU: OBIEKTY.txt",
                           " Przetwarzam OBIEKTY.txt", false, CounterField::Edit14},
                          window);
}
