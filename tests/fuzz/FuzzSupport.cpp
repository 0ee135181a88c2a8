#include "tests/fuzz/FuzzSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "shell/WorkingFiles.h"
#include "transform/RunTransformation.h"
#include "transform/TransformSettings.h"
#include "transform/UPKTBIN.h"

namespace {

std::string MakeFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zornak-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  // Five adjustment points with residuals of a few centimetres: a real Helmert fit.
  WriteTransPktBIN(pattern + "/TRANSPKT.BIN", "fuzz", 0, 0,
                   {{"1", 5566000, 7455000, 5566000.21L, 7454999.69L},
                    {"2", 5566000, 7458000, 5566000.17L, 7457999.72L},
                    {"3", 5569000, 7458000, 5569000.23L, 7457999.70L},
                    {"4", 5569000, 7455000, 5569000.18L, 7454999.66L},
                    {"5", 5567500, 7456500, 5567500.20L, 7456499.71L}});
  SetWorkingFolder(pattern);
  BuildWorkingFiles();
  TransformKind = 1;
  TransformDegree = 1;
  ReportDecimals = 4;
  RunTransformation(WorkingFolder, FuzzWindow());
  return pattern;
}

}  // namespace

SilentWindow& FuzzWindow() {
  static SilentWindow window;
  return window;
}

const std::string& FuzzFolder() {
  static const std::string folder = MakeFolder();
  return folder;
}

void WriteFuzzFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  std::ofstream(FuzzFolder() + "/" + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
