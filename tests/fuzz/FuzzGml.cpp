// The in-place rewrite of GML through the fit: the fuzzer's bytes as a GML file, fed to the
// parser a few bytes at a time. Whatever the input, the rewrite ends; it writes nothing
// exactly when it names a problem; what it writes is well-formed XML that differs from the
// input only in the digits of numbers, and it is the same when fed whole.
#include <expat.h>

#include <algorithm>
#include <string>

#include "inplace/GmlRewrite.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

bool WellFormed(const std::string& bytes) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  const bool ok =
      XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

std::string WithoutDigits(std::string text) {
  std::erase_if(text, [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const TransformationResult& fit = Fuzz().transformation.Result();
  GisFileResult small, whole;
  const std::string out = RewriteGmlBytes(input, fit, small, 7);
  const std::string once = RewriteGmlBytes(input, fit, whole, size + 1);
  if (out.empty() != !small.problems.empty() && !input.empty()) __builtin_trap();
  if (out != once) __builtin_trap();
  if (!out.empty() && WellFormed(std::string(input)) && !WellFormed(out)) __builtin_trap();
  if (!out.empty() && WithoutDigits(out) != WithoutDigits(std::string(input))) __builtin_trap();
  return 0;
}
