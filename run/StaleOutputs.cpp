#include "run/StaleOutputs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "run/GeoPackageLoader.h"
#include "textio/Cp1250.h"
#include "textio/FolderFiles.h"
#include "textio/Platform.h"
#include "textio/TextFile.h"
#include "transform/FitStamp.h"

namespace {

constexpr std::string_view kOutputLabel = " Plik wynikowy: ";

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The GIS protocols of `folder` (PROTOKOL_GIS_*.txt), in name order.
std::vector<std::string> GisProtocols(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(textio::PathFromUtf8(folder), ec)) {
    const std::string name = textio::Utf8FromPath(entry.path().filename());
    if (StartsWith(name, "PROTOKOL_GIS_") && name.size() > 4 &&
        name.compare(name.size() - 4, 4, ".txt") == 0 && entry.is_regular_file(ec)) {
      found.push_back(textio::Utf8FromPath(entry.path()));
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The fit a PDF report records in its XMP metadata; empty when it records none. Qt writes
// the metadata stream uncompressed, so the bytes are searched as they are.
std::string PdfFitStamp(const std::string& path) {
  std::ifstream in(textio::PathFromUtf8(path), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t open = bytes.find(kFitStampXmpOpen);
  if (open == std::string::npos) return {};
  const std::size_t from = open + kFitStampXmpOpen.size();
  const std::size_t close = bytes.find(kFitStampXmpClose, from);
  if (close == std::string::npos) return {};
  return XmlUnescaped(std::string_view(bytes).substr(from, close - from));
}

}  // namespace

ProtocolRecord ReadProtocolRecord(const std::string& path) {
  ProtocolRecord record;
  textio::TextFileReader in;
  if (!in.Open(path)) return record;
  std::string line;
  // The header is a dozen lines; nothing below it names the fit.
  for (int k = 0; k < 20 && in.ReadLine(line); ++k) {
    const std::string utf8 = textio::Cp1250ToUtf8(line);
    if (StartsWith(utf8, kFitStampLabel)) record.stamp = utf8.substr(kFitStampLabel.size());
    if (StartsWith(utf8, kOutputLabel)) {
      record.output = utf8.substr(kOutputLabel.size());
      // "path (GPKG)": the format GDAL wrote follows the path.
      if (const std::size_t format = record.output.rfind(" (");
          format != std::string::npos && record.output.back() == ')') {
        record.output.erase(format);
      }
    }
  }
  return record;
}

std::vector<std::string> StaleOutputs(const RunResult& run) {
  const std::string stamp = FitStamp(run.Transformation());
  if (!run.started || stamp.empty()) return {};
  std::vector<std::string> stale;
  if (!run.geoPackageWritten && run.files.SlotFileExists(slot::kGeoPackage)) {
    const std::string path = run.files.SlotPath(slot::kGeoPackage);
    const std::optional<std::string> own = GeoPackageFitStampThroughPlugin(path);
    if (own && *own != stamp) stale.push_back(path);
  }
  const std::string report = textio::PathInFolder(run.folder, kPdfReportFileName);
  if (std::error_code ec; std::filesystem::is_regular_file(textio::PathFromUtf8(report), ec) &&
                          PdfFitStamp(report) != stamp) {
    stale.push_back(report);
  }
  for (const std::string& protocol : GisProtocols(run.folder)) {
    const ProtocolRecord record = ReadProtocolRecord(protocol);
    if (record.stamp == stamp) continue;
    stale.push_back(protocol);
    std::error_code ec;
    if (!record.output.empty() &&
        std::filesystem::exists(textio::PathFromUtf8(record.output), ec)) {
      stale.push_back(record.output);
    }
  }
  return stale;
}
