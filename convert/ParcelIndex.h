// The index of a parcel or contour file: one row per record in file order with its
// identifier, its area in hectares and its centroid in the secondary system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textio/TextFile.h"

struct ParcelEntry {
  std::string identifier;  // Windows-1250, at most 15 characters
  long double area = 0, reducedArea = 0;
  long double Xo = 0, Yo = 0;  // transformed second pair of the record line
};

// Entries 1..n of `table` (entry 0 unused). `unitText` is the text of the unit field,
// Windows-1250. Rows: i in 7, identifier in 15, area 13:4, Xo 11:2, Yo 11:2.
void WriteParcelIndex(const std::vector<ParcelEntry>& table, int n, std::string_view unitText,
                      textio::TextFileWriter& index);
