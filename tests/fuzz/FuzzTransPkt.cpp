// TRANSPKT.BIN: the reader, and the whole transformation run on what it read.
#include "shell/WorkingFiles.h"
#include "tests/fuzz/FuzzSupport.h"
#include "transform/RunTransformation.h"
#include "transform/TransformSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& folder = FuzzFolder();
  WriteFuzzFile("TRANSPKT.BIN", data, size);
  TransformKind = size % 2 ? 1 : 2;
  TransformDegree = static_cast<std::int32_t>(size % 3 + 1);
  RunTransformation(folder, FuzzWindow());
  TransformKind = 1;  // leave the fit of the other targets as it was
  TransformDegree = 1;
  return 0;
}
