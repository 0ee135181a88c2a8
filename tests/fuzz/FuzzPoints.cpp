// The point file pass on the fuzzer's PUNKTY.ept.
#include "convert/PointFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzFolder();
  WriteFuzzFile("PUNKTY.ept", data, size);
  ConvertPointFile(0, FuzzWindow());
  return 0;
}
