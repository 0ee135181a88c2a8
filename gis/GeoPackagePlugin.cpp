#include "gis/GeoPackagePlugin.h"

#include <type_traits>

#include "textio/Platform.h"

ZORNAK_PLUGIN_ENTRY void zornak_export_geopackage(const WorkingFileTable& files,
                                                  const MapFileSet& converted,
                                                  const TransformationResult& transformation,
                                                  RunEvents& events, GeoPackageSummary& summary) {
  summary = ExportGeoPackage(files, converted, transformation, events);
}

// The entry must keep the type the program calls it by.
static_assert(std::is_same_v<decltype(&zornak_export_geopackage), GeoPackageEntry>);

ZORNAK_PLUGIN_ENTRY void zornak_geopackage_fit_stamp(const std::string& path, std::string& stamp) {
  stamp = GeoPackageFitStamp(path);
}

static_assert(std::is_same_v<decltype(&zornak_geopackage_fit_stamp), FitStampEntry>);

ZORNAK_PLUGIN_ENTRY void zornak_convert_gis_file(const GisJob& job,
                                                 const TransformationResult& transformation,
                                                 GisFileResult& result) {
  result = ConvertGisFile(job, transformation);
}

static_assert(std::is_same_v<decltype(&zornak_convert_gis_file), GisFileEntry>);
