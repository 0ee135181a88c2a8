// The input positions of the map vertices: both pairs of each parcel and contour record
// and vertex line, both pairs of each point of PUNKTY.ept, the positions of the layer and
// object records, as read (x northing, y easting).
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "convert/RunResult.h"

using MapPosition = std::pair<long double, long double>;

// From the input files of `files` that `which` names (MapFile order).
std::vector<MapPosition> InputMapPositions(const WorkingFileTable& files,
                                           const std::array<bool, kMapFileCount>& which);
// From the files whose conversion a run wrote.
std::vector<MapPosition> ConvertedMapPositions(const RunResult& run);
