// A generated county: a grid of precincts cut from one map of square parcels, so that the
// parcels along a precinct boundary share their vertices with the neighbour's (the same
// coordinates, written alike). Each precinct has its own adjustment points, in the primary
// system and in a secondary one that differs from it by a shift, a rotation, a gentle bend
// and a noise of a few centimetres, so that separate fits disagree along the seams.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "transform/UPKTBIN.h"

struct CountyShape {
  int rows = 2, columns = 2;
  int parcelsPerSide = 10;          // parcels along a precinct's side
  long double parcelSide = 50;      // metres
  int adjustmentPoints = 12;        // each precinct's own, inside it
  long double noise = 0.03L;        // metres, of the secondary coordinates
  bool sharedCornerPoints = false;  // each precinct also holds the adjustment points at its corners
};

// The folder name of precinct (row, column): "obreb_01_02".
std::string PrecinctName(int row, int column);

// Writes ROOT/<precinct>/TRANSPKT.BIN and DZIALKI.edz for every precinct (ROOT in UTF-8);
// returns the folders, row by row.
std::vector<std::string> WriteCounty(const std::string& root, const CountyShape& shape);

// The adjustment points of precinct (row, column).
TPktDostosowania PrecinctAdjustmentPoints(const CountyShape& shape, int row, int column);

// The map positions of precinct (row, column) as its DZIALKI.edz holds them: both pairs of
// each record line and vertex line.
std::vector<std::pair<long double, long double>> PrecinctPositions(const CountyShape& shape,
                                                                   int row, int column);
