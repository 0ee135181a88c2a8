// TRANSPKT.BIN: the reader on every input, and the whole transformation run on what it
// read when the file declares at most kRunRecords records. Larger declarations drive the
// report's listing, quadratic in the number of points by its definition, and would hold
// the fuzzer at a few executions a second; the reader itself sees every size.
#include "tests/fuzz/FuzzSupport.h"
#include "transform/UPKTBIN.h"

namespace {

constexpr std::size_t kRunRecords = 500;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzFile("TRANSPKT.BIN", data, size);
  const std::string path = Fuzz().files.WorkingFolder + "/TRANSPKT.BIN";
  TPktDostosowania list;
  std::string header;
  std::int32_t number1 = 0, number2 = 0;
  TPktBIN().CzytajBIN(path, header, number1, number2, list);
  if (list.size() > kRunRecords) return 0;
  // A state of its own, so the fit of the other targets stays as it was.
  static TransformationState state;
  state.comparisonBudget = 0;  // the cheapest model only: the comparison has its own tests
  const std::int32_t kind = size % 2 ? 1 : 2;
  const std::int32_t degree = static_cast<std::int32_t>(size % 3 + 1);
  RunTransformation({kind, degree, 4}, Fuzz().files.WorkingFolder, Fuzz().window, state);
  return 0;
}
