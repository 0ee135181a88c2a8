// The converted map of a run as one GeoPackage, Mapa.gpkg in the working folder, through
// GDAL/OGR: layers dzialki and kontury (a polygon per record), punkty, warstwy and obiekty
// (positions), one for each map file the run converted, and punkty_dostosowania (the
// adjustment points with their figures), each with its spatial index, filled once as every
// GIS file's is. The reference system is the "2000" zone of the fit (ZoneOfFit: EPSG:2176 to
// 2179); geometry is written easting first, as GIS tools draw it. Written beside its name
// and renamed into place when complete; the converted files are only read.
#pragma once

#include <string>

#include "core/RunEvents.h"
#include "core/WorkingFiles.h"
#include "transform/FitZone.h"
#include "transform/RunTransformation.h"

inline constexpr const char* kGeoPackageFileName = "Mapa.gpkg";

struct GeoPackageSummary {
  bool written = false;
  std::string path;
  int invalid = 0;  // records exported as a line, or left out
  int epsg = 0;     // 0: no reference system
};

// Exports the files the run converted (`converted`), and no other converted file that may lie
// in the folder from an earlier run; problems (no reference system, records that are no
// valid polygon, a file that cannot be written) are told through `events`.
GeoPackageSummary ExportGeoPackage(const WorkingFileTable& files, const MapFileSet& converted,
                                   const TransformationResult& transformation, RunEvents& events);

// The fit a GeoPackage of the program was made from (FitStamp), from its metadata; empty for
// a file without one or that cannot be read.
std::string GeoPackageFitStamp(const std::string& path);
