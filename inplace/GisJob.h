// A GIS file through a run's fit: what is asked (the job) and what came of it (the result),
// for both routes: a file rewritten in place, every byte but its positions kept (the register's
// GML), and GDAL's simple features (any vector file GDAL reads).
#pragma once

#include <string>
#include <vector>

struct GisJob {
  std::string input;   // UTF-8
  std::string output;  // empty: the input's name with "_2000" before the extension, beside it
  std::string protocolFolder;  // where the protocol goes (the working folder)
  int threads = 0;             // that transform the geometry; 0: every core
  bool viaGdal = false;        // GDAL's simple features even for a file rewritten in place
  bool northingFirst = false;  // a CAD drawing's X is northing, Y easting (not as CAD draws)
};

// The routes, as the protocol and the JSON name them.
inline constexpr const char* kInPlaceRoute = "in_place";
inline constexpr const char* kGdalRoute = "gdal";

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

// Of a file rewritten in place: the objects of one kind (a GML feature's element, as
// "egb:EGB_DzialkaEwidencyjna", or a drawing's entity type, as "LWPOLYLINE") and their
// positions.
struct GisObjectKind {
  std::string name;  // UTF-8
  long long objects = 0, positions = 0;
};

// What the positions of a file rewritten in place went through.
struct GisPositionFigures {
  long long positions = 0;
  long double largestShift = 0, meanShift = 0;  // m
  long long outsideHull = 0;                    // outside the hull of the used adjustment points
  std::string farthestOutside;                  // the object (its gml:id) of the farthest of those
  long double farthestDistance = 0;             // m beyond the hull
  long double largestRotation = 0;              // rad, the fit's local rotation
  long long angles = 0;                         // label angles (katObrotu) kept as written
  long double largestTurn = 0;          // rad: the largest angle a drawing's entity was turned by
  long double largestRadiusChange = 0;  // m: the largest change of a drawing's radius
};

struct GisFileResult {
  std::string input, output, protocol, driver;  // absolute paths; GDAL's driver name
  std::string route = kGdalRoute;
  bool drawing = false;  // in place: a CAD drawing (its objects are entities, named by handle)
  bool written = false;  // the output is complete, in place
  bool protocolWritten = false;
  bool inputProblem = false;  // the input could not be read, or a part of it
  bool writeFailure = false;  // the output or the protocol could not be written
  std::string inputCrs;       // the input's reference system; empty: none stated
  int epsg = 0;               // the output's; 0: none ("2000" zone unknown)
  std::vector<GisLayerCount> layers;
  std::vector<std::string> problems;  // UTF-8, a line each: features not read or written
  std::vector<GisAreaChange> areaChanges;
  std::vector<GisObjectKind> kinds;  // in place: per object kind, in order of appearance
  GisPositionFigures figures;        // in place
  std::vector<std::string> notes;    // in place: what the reader should know (UTF-8)
  std::string error;                 // UTF-8: why nothing was written
};

// The default output of `input`: "dzialki.shp" gives "dzialki_2000.shp".
std::string DefaultGisOutput(const std::string& input);
// "PROTOKOL_GIS_dzialki.shp.txt" for input "dzialki.shp": files of one name in several
// formats keep their protocols apart.
std::string GisProtocolName(const std::string& input);
