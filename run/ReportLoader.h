// The PDF report of a run, for the programs that link no Qt: through the report plugin.
#pragma once

#include <string>

#include "run/RunProcessing.h"

// Whether this build has the report plugin. Loads nothing.
bool PdfReportAvailable();

// The report input of the run `state` holds; `executor` and `note` as the report shows them.
struct ReportInput;
ReportInput ReportInputOf(const RunState& state, const std::string& executor,
                          const std::string& note = {});

// Writes the report of `state` to `path` through the plugin; false with `error` (UTF-8)
// when the plugin is missing or the file cannot be written.
bool WritePdfReportThroughPlugin(const RunState& state, const std::string& executor,
                                 const std::string& path, std::string& error);
