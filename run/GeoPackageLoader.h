// Finds and loads the GeoPackage plugin on demand. Nothing is loaded to answer whether the
// export is there; the first export loads the plugin and keeps it for the process's life.
#pragma once

#include <optional>
#include <string>

#include "gis/GeoPackage.h"
#include "gis/GisFile.h"

// The plugin's path when this build has one (beside the program, or installed in
// lib/<multiarch>/zornak-edz), else empty.
std::string GeoPackagePluginPath();

// Exports through the plugin. When it cannot be loaded, says why through `events` and
// returns a summary with nothing written.
GeoPackageSummary ExportGeoPackageThroughPlugin(const WorkingFileTable& files,
                                                const MapFileSet& converted,
                                                const TransformationResult& transformation,
                                                RunEvents& events);

// The fit stamp of a GeoPackage through the plugin; nullopt when the plugin cannot be loaded.
std::optional<std::string> GeoPackageFitStampThroughPlugin(const std::string& path);

// Converts a GIS file through the plugin; when it cannot be loaded, `result.error` says why.
GisFileResult ConvertGisFileThroughPlugin(const GisJob& job,
                                          const TransformationResult& transformation);
