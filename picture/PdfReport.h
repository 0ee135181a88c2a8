// The PDF report of a run for the technical documentation: A4 portrait, in Polish, fonts
// embedded, the map as vector graphics. Page 1 sums the run up; from page 2 the table of
// adjustment points, kReportPointRowsPerPage rows a page; then, from a new page, the
// control points, the comparison of models and the proposal of exclusions; last, the
// residual map on a page of its own. No table row is cut by a page break, and every page
// of a table repeats its header.
#pragma once

#include <QString>
#include <string>

#include "picture/ReportInput.h"

inline constexpr int kReportPointRowsPerPage = 50;

// Writes the report to `path` atomically (a file beside it, renamed when complete); false
// with a reason in `error` (UTF-8).
bool WritePdfReport(const ReportInput& input, const std::string& path, std::string& error);

// The m0 of the report and Protokol.tra alike: fixed with the run's report decimals.
QString ReportNumber(long double value, int decimals);
