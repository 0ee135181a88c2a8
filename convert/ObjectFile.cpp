// The object file: like the layer file, but one layout, the section code in the third word
// (121 one position, 23 two positions), coordinates in fixed(10,2), no code value.
// Converts OBIEKTY.txt into OBIEKTY.tx_ with the protocol PROTOKOL5.txt.
#include "convert/SectionedFile.h"

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

PositionLayout ObjectLayout(const SectionState& s) {
  return s.kind == 1 ? PositionLayout{.firstWord = 3, .scientific = false, .closingBlanks = 0}
                     : PositionLayout{.firstWord = 4, .scientific = false, .closingBlanks = 3};
}

bool ObjectRecord(const SplitLine& w, const SectionState& s, const TFittedTransformation& f,
                  std::string& out) {
  if (s.kind == 1) return OnePositionRecord(w, ObjectLayout(s), f, true, out);
  return TwoPositionRecord(w, ObjectLayout(s), f, out);
}

}  // namespace

const SectionedFormat& ObjectFormat() {
  static const SectionedFormat format = {
      .sectionLine = ObjectSectionLine,
      .record = ObjectRecord,
      .file = MapFile::Objects,
      .markInput = true,
      .title = " DIAGNOSTYKA ZBIORU: OBIEKTY.txt",
      .status = " Przetwarzam OBIEKTY.txt",
      .statusFirst = false,
      .counter = Counter::ObjectPoints,
      .layout = ObjectLayout,
  };
  return format;
}

TaskResult ConvertObjects(TaskContext& context) {
  return RunSectionedTask(ObjectFormat(), context);
}
