// A folder of a joint fit of several working folders: what it brought to the union of
// their adjustment points, and the m0 of its own separate fit, so that the report shows
// what the joint fit costs each folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct JointPart {
  std::string folder;                // UTF-8
  std::int32_t records = 0;          // its TRANSPKT.BIN records
  std::int32_t added = 0;            // records the union took from it (no earlier folder's)
  std::optional<long double> ownM0;  // of its own separate fit, when one was made
};
