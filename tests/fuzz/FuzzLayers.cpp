// The layer file pass on the fuzzer's WARSTWY.txt.
#include "convert/LayerFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzFolder();
  WriteFuzzFile("WARSTWY.txt", data, size);
  ConvertLayerFile(FuzzWindow());
  return 0;
}
