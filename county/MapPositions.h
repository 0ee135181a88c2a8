// The input positions of every map vertex a run converted: both pairs of each parcel and
// contour record and vertex line, both pairs of each point of PUNKTY.ept, the positions of
// the layer and object records; from the files whose conversion was written this run.
#pragma once

#include <vector>

#include "convert/RunResult.h"
#include "county/Seams.h"

std::vector<MapPosition> ConvertedMapPositions(const RunResult& run);
