// The parcel pass (the contour pass is the same code) on the fuzzer's DZIALKI.edz.
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("DZIALKI.edz", data, size);
  TaskContext context = FuzzContext();
  ConvertParcels(context);
  return 0;
}
