// The exclusion list Wykluczone.txt: the reader against a fixed set of adjustment points.
#include "tests/fuzz/FuzzSupport.h"
#include "transform/Exclusions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("Wykluczone.txt", data, size);
  static const std::vector<PointNumber> known = {PointNumber("1"), PointNumber("PD-101"),
                                                 PointNumber(" 7 "), PointNumber("ŁÓDŹ-3")};
  const Exclusions read = ReadExclusions(Fuzz().files.WorkingFolder + "/Wykluczone.txt", known);
  if (read.numbers.size() > known.size()) __builtin_trap();  // each point at most once
  return 0;
}
