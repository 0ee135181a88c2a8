// What the PDF report of a run is made from, without Qt: the programs that link no Qt load
// the report as a plugin (libzornak_report.so) and hand it these records.
#pragma once

#include <string>

#include "convert/RunResult.h"

struct ReportInput {
  const RunResult& run;
  // The working folder shown now: a result of another folder's run reports no run.
  const std::string& workingFolder;
  std::string executor;  // "Wykonawca", UTF-8; empty: the line is left out
};

// The plugin's file name beside the program or, installed, in lib/<multiarch>/zornak-edz.
#if defined(_WIN32)
inline constexpr const char* kReportPluginFile = "zornak_report.dll";
#else
inline constexpr const char* kReportPluginFile = "libzornak_report.so";
#endif
inline constexpr const char* kReportPluginEntry = "zornak_write_pdf_report";

// WritePdfReport behind a plain C name: writes `path` (UTF-8); false with `error` (UTF-8).
using PdfReportEntry = bool (*)(const ReportInput& input, const std::string& path,
                                std::string& error);
