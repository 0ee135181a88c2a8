// The surveyor's limits Limity.txt: every limit read is a number above 0, each at most once.
#include <cmath>

#include "tests/fuzz/FuzzSupport.h"
#include "transform/Limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("Limity.txt", data, size);
  const LimitFile read = ReadLimitFile(Fuzz().files.WorkingFolder + "/Limity.txt");
  for (const auto& limit : {read.limits.m0, read.limits.residual}) {
    if (limit && !(*limit > 0 && std::isfinite(*limit))) __builtin_trap();
  }
  return 0;
}
