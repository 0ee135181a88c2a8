#include "run/GisRoute.h"

#include "inplace/DxfRewrite.h"
#include "run/GeoPackageLoader.h"
#ifdef ZORNAK_WITH_GML
#include "inplace/GmlRewrite.h"
#endif

GisFileResult ConvertGisFileOfRun(const GisJob& job, const TransformationResult& transformation) {
  if (!job.viaGdal && IsDxfFile(job.input)) return RewriteDxf(job, transformation);
#ifdef ZORNAK_WITH_GML
  if (!job.viaGdal && IsGmlFeatureCollection(job.input)) return RewriteGml(job, transformation);
#endif
  return ConvertGisFileThroughPlugin(job, transformation);
}
