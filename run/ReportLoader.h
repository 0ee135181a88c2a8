// The PDF report of a run, for the programs that link no Qt: through the report plugin.
#pragma once

#include <string>

#include "run/RunProcessing.h"

// Whether this build has the report plugin. Loads nothing.
bool PdfReportAvailable();

// Writes the report of `run`, shown for `workingFolder`, to `path` through the plugin; false
// with `error` (UTF-8) when the plugin is missing or the file cannot be written.
bool WritePdfReportThroughPlugin(const RunResult& run, const std::string& workingFolder,
                                 const std::string& executor, const std::string& path,
                                 std::string& error);
