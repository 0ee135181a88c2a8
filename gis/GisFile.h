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

#include "transform/RunTransformation.h"

struct GisJob {
  std::string input;   // UTF-8
  std::string output;  // empty: the input's name with "_2000" before the extension, beside it
  std::string protocolFolder;  // where the protocol goes (the working folder)
  int threads = 0;             // that transform the geometry; 0: every core
};

struct GisLayerCount {
  std::string name;  // UTF-8
  long long read = 0, written = 0;
  bool geometry = true;  // false: a layer without geometry, copied with its attributes
};

struct GisAreaChange {
  std::string layer;
  long long fid = 0;
  double before = 0, after = 0;  // m²
};

struct GisFileResult {
  std::string input, output, protocol, driver;  // absolute paths; GDAL's driver name
  bool written = false;                         // the output is complete, in place
  bool protocolWritten = false;
  bool inputProblem = false;  // the input could not be read, or a part of it
  bool writeFailure = false;  // the output or the protocol could not be written
  std::string inputCrs;       // the input's reference system; empty: none stated
  int epsg = 0;               // the output's; 0: none ("2000" zone unknown)
  std::vector<GisLayerCount> layers;
  std::vector<std::string> problems;  // UTF-8, a line each: features not read or written
  std::vector<GisAreaChange> areaChanges;
  std::string error;  // UTF-8: why nothing was written
};

// The default output of `input`: "dzialki.shp" gives "dzialki_2000.shp".
std::string DefaultGisOutput(const std::string& input);
// "PROTOKOL_GIS_dzialki.shp.txt" for input "dzialki.shp": files of one name in several
// formats keep their protocols apart.
std::string GisProtocolName(const std::string& input);

// Converts `job` through the usable fit of `transformation`.
GisFileResult ConvertGisFile(const GisJob& job, const TransformationResult& transformation);
