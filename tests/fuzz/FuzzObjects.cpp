// The object file pass on the fuzzer's OBIEKTY.txt.
#include "convert/ObjectFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzFolder();
  WriteFuzzFile("OBIEKTY.txt", data, size);
  ConvertObjectFile(FuzzWindow());
  return 0;
}
