#include "inplace/GisJob.h"

#include <filesystem>

#include "textio/Platform.h"

std::string DefaultGisOutput(const std::string& input) {
  const std::filesystem::path path = textio::PathFromUtf8(input);
  return textio::Utf8FromPath(path.parent_path() /
                              textio::PathFromUtf8(textio::Utf8FromPath(path.stem()) + "_2000" +
                                                   textio::Utf8FromPath(path.extension())));
}

std::string GisProtocolName(const std::string& input) {
  return "PROTOKOL_GIS_" + textio::Utf8FromPath(textio::PathFromUtf8(input).filename()) + ".txt";
}
