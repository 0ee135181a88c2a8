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
  return s.kind == 1 ? PositionLayout{3, false, 0} : PositionLayout{4, false, 3};
}

bool ObjectRecord(const SplitLine& w, const SectionState& s, const TFittedTransformation& f,
                  std::string& out) {
  if (s.kind == 1) return OnePositionRecord(w, ObjectLayout(s), f, true, out);
  return TwoPositionRecord(w, ObjectLayout(s), f, out);
}

}  // namespace

const SectionedFormat& ObjectFormat() {
  static const SectionedFormat format = {ObjectSectionLine,
                                         ObjectRecord,
                                         MapFile::Objects,
                                         true,
                                         " DIAGNOSTYKA ZBIORU: OBIEKTY.txt",
                                         " Przetwarzam OBIEKTY.txt",
                                         false,
                                         Counter::ObjectPoints,
                                         ObjectLayout};
  return format;
}

TaskResult ConvertObjects(TaskContext& context) {
  return RunSectionedTask(ObjectFormat(), context);
}
