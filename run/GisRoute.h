// A GIS file of a run through its fit, by the route that keeps it as it is where there is
// one: a GML feature collection or a CAD drawing (DXF) rewritten in place (no GDAL needed),
// any other file (or any file with `job.viaGdal`) through GDAL's simple features in the
// plugin.
#pragma once

#include "inplace/GisJob.h"
#include "transform/TransformationResult.h"

GisFileResult ConvertGisFileOfRun(const GisJob& job, const TransformationResult& transformation);
