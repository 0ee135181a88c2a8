// The process-wide model choice, set by the run command and read by the fit, the report and
// every call of TransformPoint. All are 0 until the first run.
#pragma once

#include <cstdint>

inline std::int32_t TransformKind = 0;    // 1 conformal, 2 general (locally affine)
inline std::int32_t TransformDegree = 0;  // 1..9
inline std::int32_t ReportDecimals = 0;   // decimals of the report's coordinate fields
