#include "tests/fuzz/FuzzSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "transform/UPKTBIN.h"

namespace {

std::unique_ptr<FuzzRun> MakeRun() {
  auto run = std::make_unique<FuzzRun>();
  // In memory where the system has it: every output is synced to disk before its rename,
  // which would otherwise cost each input milliseconds.
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
  std::string pattern = (base / "zornak-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  // Five adjustment points with residuals of a few centimetres: a real Helmert fit.
  WriteTransPktBIN(pattern + "/TRANSPKT.BIN", "fuzz", 0, 0,
                   {{"1", 5566000, 7455000, 5566000.21L, 7454999.69L},
                    {"2", 5566000, 7458000, 5566000.17L, 7457999.72L},
                    {"3", 5569000, 7458000, 5569000.23L, 7457999.70L},
                    {"4", 5569000, 7455000, 5569000.18L, 7454999.66L},
                    {"5", 5567500, 7456500, 5567500.20L, 7456499.71L}});
  run->files.WorkingFolder = pattern;
  run->files.BuildWorkingFiles();
  RunTransformation({1, 1, 4}, pattern, run->window, run->transformation);
  return run;
}

}  // namespace

FuzzRun& Fuzz() {
  static const std::unique_ptr<FuzzRun> run = MakeRun();
  return *run;
}

TaskContext FuzzContext() {
  FuzzRun& run = Fuzz();
  return {run.files, run.transformation.Result().FittedTransformation, run.tables, run.window,
          run.work};
}

void WriteFuzzFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  std::ofstream(Fuzz().files.WorkingFolder + "/" + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
