// TRANSPKT.BIN: the reader, and the whole transformation run on what it read.
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("TRANSPKT.BIN", data, size);
  // A state of its own, so the fit of the other targets stays as it was.
  static TransformationState state;
  const std::int32_t kind = size % 2 ? 1 : 2;
  const std::int32_t degree = static_cast<std::int32_t>(size % 3 + 1);
  RunTransformation({kind, degree, 4}, Fuzz().files.WorkingFolder, Fuzz().window, state);
  return 0;
}
