// The geometry of the map files as written, for the picture and the GIS export: the
// records of a parcel or contour file with their boundary (the second pair of each vertex
// line, in order), and the records of the point file. Unreadable numbers leave their vertex
// or record out and are counted.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "convert/ParcelHeader.h"

struct ParcelShape {
  ParcelHeader header;
  std::string number;  // the parcel number: the identifier after its '-'
  std::vector<std::pair<long double, long double>> boundary;  // x, y
  int unreadable = 0;                                         // vertex lines left out
};

struct PointShape {
  std::string name;  // the 20-character name, blanks trimmed (Windows-1250)
  long double x = 0, y = 0, x2 = 0, y2 = 0;
  std::string rest;  // the rest of the line
};

// Every record of a parcel or contour file; false when the file cannot be read.
bool ReadParcelShapes(const std::string& path, std::vector<ParcelShape>& shapes);
// Every coordinate pair of a parcel or contour file that reads whole: both pairs of each
// record line and of each vertex line, in file order (the pairs its conversion transforms).
bool ReadParcelPositions(const std::string& path,
                         std::vector<std::pair<long double, long double>>& positions);
// Every readable record of a point file; `unreadable` counts the others.
bool ReadPointShapes(const std::string& path, std::vector<PointShape>& points, int& unreadable);
