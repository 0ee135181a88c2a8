// What the PDF report of a run is made from, without Qt: the programs that link no Qt load
// the report as a plugin (libzornak_report.so) and hand it these records.
#pragma once

#include <string>

#include "convert/ConvertMapFiles.h"
#include "core/ModelChoice.h"
#include "core/WorkingFiles.h"
#include "transform/RunTransformation.h"

struct ReportInput {
  const WorkingFileTable& files;
  const ModelChoice& model;
  const TransformationState& transformation;
  const ConversionState& conversion;
  bool runInFolder = false;  // the state holds a run made in files.WorkingFolder
  bool started = false;      // that run could write in the folder
  bool geoPackageWritten = false;
  int threads = 0;       // of the correction grid on the map page; 0 every core
  std::string executor;  // "Wykonawca", UTF-8; empty: the line is left out
  std::string note;      // a remark shown on the first page (UTF-8), e.g. a refit
};

// The plugin's file name beside the program or, installed, in lib/zornak-edz.
#if defined(_WIN32)
inline constexpr const char* kReportPluginFile = "zornak_report.dll";
#else
inline constexpr const char* kReportPluginFile = "libzornak_report.so";
#endif
inline constexpr const char* kReportPluginEntry = "zornak_write_pdf_report";

// WritePdfReport behind a plain C name: writes `path` (UTF-8); false with `error` (UTF-8).
using PdfReportEntry = bool (*)(const ReportInput& input, const std::string& path,
                                std::string& error);
