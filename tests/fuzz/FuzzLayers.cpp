// The layer file pass on the fuzzer's WARSTWY.txt.
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("WARSTWY.txt", data, size);
  TaskContext context = FuzzContext();
  ConvertLayers(context);
  return 0;
}
