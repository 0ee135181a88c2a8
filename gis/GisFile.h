// Any vector file that GDAL reads (GeoPackage, Shapefile, DXF, GML, GeoJSON, FlatGeobuf, CSV
// with geometry, ...) through a run's fit and correction: every vertex of every layer goes
// through TransformPoint, as the map files' pairs do; attributes, layer names, geometry
// types, parts, holes and Z stay as they are. The output takes the "2000" zone of the run
// as its reference system, geometry easting first as GIS files hold it. The output is
// written into a temporary folder beside it and its files renamed into place once complete;
// the input is only read. A protocol PROTOKOL_GIS_<file name>.txt (Windows-1250, CR LF) tells
// the features read and written per layer, every feature that could not be, and each
// polygon whose area changed by more than 0.01 %.
#pragma once

#include <string>
#include <vector>

#include "inplace/GisJob.h"
#include "transform/RunTransformation.h"

// Converts `job` through the usable fit of `transformation`.
GisFileResult ConvertGisFile(const GisJob& job, const TransformationResult& transformation);
