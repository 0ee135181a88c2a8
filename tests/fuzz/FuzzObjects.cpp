// The object file pass on the fuzzer's OBIEKTY.txt.
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("OBIEKTY.txt", data, size);
  TaskContext context = FuzzContext();
  ConvertObjects(context);
  return 0;
}
