// The seam report Szwy.txt: per pair of folders the vertices both maps share, the largest
// and the RMS discrepancy of their converted coordinates and every shared vertex above the
// tolerance with both folders' coordinates; then the adjustment points two folders hold
// under one number, with their coordinate differences, a difference naming a data error.
// Windows-1250, CR LF, written atomically.
#pragma once

#include <string>
#include <vector>

#include "county/Seams.h"

inline constexpr const char* kSeamReportName = "Szwy.txt";

// The report's lines, UTF-8; `folders` names the folders of the findings' indices.
std::vector<std::string> SeamReportLines(const SeamFindings& findings,
                                         const std::vector<std::string>& folders,
                                         long double tolerance);

// Writes the report to `path`; false with "<path>: <reason>" in `failure`.
bool WriteSeamReport(const std::string& path, const SeamFindings& findings,
                     const std::vector<std::string>& folders, long double tolerance,
                     std::string& failure);
