// The point file of QGIS's georeferencer (*.points), as adjustment points: an optional first
// line "#CRS: <WKT>", a header naming the columns mapX, mapY, sourceX, sourceY, enable, dX, dY,
// residual (comma-separated; older files separate by tabs, name the source columns pixelX and
// pixelY and have no CRS line), then a point a line. Source (x, y) is the primary system, map
// (x, y) the secondary, both easting first: TRANSPKT.BIN holds them northing first. Points
// are numbered 1, 2, ... in file order; enable 0 leaves a point out of the fit.
#pragma once

#include <string>
#include <vector>

#include "transform/TransformationResult.h"
#include "transform/UPKTBIN.h"

struct QgisPoints {
  TPktDostosowania points;
  std::vector<std::string> disabled;  // the numbers of the points with enable 0
  std::vector<std::string> problems;  // UTF-8, a line each, with its line number
};

// Reads the text of a .points file.
QgisPoints ParseQgisPoints(std::string_view text);

// Writes TRANSPKT.BIN and, beside it, Wykluczone.txt (the disabled points; empty when there
// are none, so that an earlier list cannot apply), both atomically. 0 on success; 3 when
// the file has faulty lines (each named on `err`, nothing written); 1 when the file cannot be
// read or the outputs cannot be written.
int ImportQgisPoints(const std::string& points, const std::string& transpkt, std::ostream& out,
                     std::ostream& err);

// The adjustment points of a run in the georeferencer's layout, in TRANSPKT.BIN's order,
// with enable 0 for the points left out and the run's residuals (secondary minus model; a
// point left out: secondary minus the final coordinates) in dX, dY (easting, northing) and
// residual. Numbers are the shortest texts that read back as the same 80-bit values.
std::string QgisPointsText(const TransformationResult& result);
