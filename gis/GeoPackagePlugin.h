// The GeoPackage export as a plugin library, loaded only when a run asks for Mapa.gpkg, so
// that GDAL and the hundred libraries behind it cost a program nothing at start. The
// plugin and the program are built together from one tree: the entry passes the run's own
// records.
#pragma once

#include "gis/GeoPackage.h"
#include "gis/GisFile.h"

// The plugin's file name in the program's folder or, installed, in lib/<multiarch>/zornak-edz
// beside it.
#if defined(_WIN32)
inline constexpr const char* kGeoPackagePluginFile = "zornak_gis.dll";
#else
inline constexpr const char* kGeoPackagePluginFile = "libzornak_gis.so";
#endif
inline constexpr const char* kGeoPackagePluginEntry = "zornak_export_geopackage";

// ExportGeoPackage behind a plain C name.
using GeoPackageEntry = void (*)(const WorkingFileTable& files, const MapFileSet& converted,
                                 const TransformationResult& transformation, RunEvents& events,
                                 GeoPackageSummary& summary);

inline constexpr const char* kFitStampPluginEntry = "zornak_geopackage_fit_stamp";
// GeoPackageFitStamp behind a plain C name.
using FitStampEntry = void (*)(const std::string& path, std::string& stamp);

inline constexpr const char* kGisFilePluginEntry = "zornak_convert_gis_file";
// ConvertGisFile behind a plain C name.
using GisFileEntry = void (*)(const GisJob& job, const TransformationResult& transformation,
                              GisFileResult& result);
