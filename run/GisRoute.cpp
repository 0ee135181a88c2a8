#include "run/GisRoute.h"

#include "inplace/GmlRewrite.h"
#include "run/GeoPackageLoader.h"

GisFileResult ConvertGisFileOfRun(const GisJob& job, const TransformationResult& transformation) {
  if (!job.viaGdal && IsGmlFeatureCollection(job.input)) return RewriteGml(job, transformation);
  return ConvertGisFileThroughPlugin(job, transformation);
}
