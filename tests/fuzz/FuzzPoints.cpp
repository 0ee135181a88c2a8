// The point file pass on the fuzzer's PUNKTY.ept.
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("PUNKTY.ept", data, size);
  TaskContext context = FuzzContext();
  ConvertPoints(context);
  return 0;
}
