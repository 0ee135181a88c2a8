// The map as the views draw it: the outline of every parcel and contour record and a mark at
// every position of the point, layer and object files (x north, y east). Read once, by the
// run, from the files it converted and, for a map file it did not convert, from its input;
// the views draw it from the run's result and never open a map file themselves.
#pragma once

#include <utility>
#include <vector>

#include "core/WorkingFiles.h"

struct MapDrawing {
  std::vector<std::vector<std::pair<long double, long double>>> outlines;
  std::vector<std::pair<long double, long double>> marks;
  bool converted = false;  // some of it shows converted coordinates (else primary ones)
};

// From the map files of `files`: the converted file of each one `converted` names, else the
// input file when present. Unreadable records and vertices are left out.
MapDrawing ReadMapDrawing(const WorkingFileTable& files, const MapFileSet& converted);

// From whatever the folder holds: a converted file where one exists, else the input.
MapDrawing ReadMapDrawingOfFolder(const WorkingFileTable& files);
