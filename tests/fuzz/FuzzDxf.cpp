// The in-place rewrite of a CAD drawing through the fit: the fuzzer's bytes as a DXF file,
// its lines read a few bytes at a time. Whatever the input, the rewrite ends; it writes
// nothing exactly when it names a problem; what it writes has the input's lines but for the
// values of numbers, and it is the same when fed whole; the first byte tells the axis order.
#include <string>

#include "inplace/DxfRewrite.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::size_t Lines(const std::string& text) {
  std::size_t n = 0;
  for (char c : text)
    n += c == '\n';
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const bool northingFirst = size > 0 && (data[0] & 1);
  const TransformationResult& fit = Fuzz().transformation.Result();
  GisFileResult small, whole;
  const std::string out = RewriteDxfBytes(input, fit, northingFirst, small, 5);
  const std::string once = RewriteDxfBytes(input, fit, northingFirst, whole, size + 1);
  if (out.empty() != !small.problems.empty() && !input.empty()) __builtin_trap();
  if (out != once) __builtin_trap();
  if (!out.empty() && Lines(out) != Lines(std::string(input))) __builtin_trap();
  return 0;
}
