// Seams between neighbouring working folders: a map vertex whose input coordinates are the
// same 80-bit values in two folders is one vertex of both maps, so it must land at one
// place. Each folder's conversion takes it through that folder's fit; the seam of a pair of
// folders is what their converted coordinates of the shared vertices differ by. The
// adjustment points that two folders hold under one number are set against each other too:
// coordinates that differ there are a data error.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "convert/MapPositions.h"
#include "transform/FittedTransformation.h"
#include "transform/PointNumber.h"
#include "transform/UPKTBIN.h"

// An input position of a map vertex, as read: x, y (MapPosition).

// What the seam search knows of one folder: its map positions (any order, repeats allowed)
// and the fit its map went through (null or unusable: its vertices are not compared).
struct SeamFolder {
  std::string name;  // UTF-8, as the report names it
  std::vector<MapPosition> positions;
  const TFittedTransformation* fit = nullptr;
  TPktDostosowania adjustmentPoints;  // its TRANSPKT.BIN records
};

// A shared vertex whose converted coordinates differ by more than the tolerance.
struct SeamVertex {
  long double x = 0, y = 0;    // input, as read
  long double aX = 0, aY = 0;  // converted by folder a
  long double bX = 0, bY = 0;  // converted by folder b
  long double d = 0;           // distance between the two
};

// The seam of folders a < b (indices into the folder list).
struct Seam {
  int a = 0, b = 0;
  std::int64_t shared = 0;  // distinct vertices of both maps
  long double max = 0, rms = 0;
  std::vector<SeamVertex> overTolerance;  // in input order (x, then y)
};

// An adjustment point number held by folders a < b, with its coordinate differences (b - a)
// in the primary (1) and the secondary (2) system.
struct SharedAdjustmentPoint {
  int a = 0, b = 0;
  PointNumber nr;
  long double dx1 = 0, dy1 = 0, dx2 = 0, dy2 = 0;
  bool differs = false;  // a coordinate differs by more than kSamePointTolerance
};

// Coordinates of one adjustment point in two files agree to the millimetre.
inline constexpr long double kSamePointTolerance = 0.001L;

// The seam tolerance when the surveyor gives none, metres.
inline constexpr long double kSeamTolerance = 0.01L;

struct SeamSearch {
  long double tolerance = kSeamTolerance;  // metres
  int threads = 0;                         // 0: every core
};

struct SeamFindings {
  std::vector<Seam> seams;  // every pair of folders that shares a vertex, in folder order
  std::vector<SharedAdjustmentPoint> adjustmentPoints;  // by pair, then number
  std::int64_t positions = 0;                           // read in all folders

  bool AnyOverTolerance() const;
  bool AnyDifferingPoint() const;
};

SeamFindings FindSeams(const std::vector<SeamFolder>& folders, const SeamSearch& search);

// The adjustment points that two or more of `folders` hold under one number, pair by pair;
// the first record of a number in a folder stands for it.
std::vector<SharedAdjustmentPoint> SharedAdjustmentPoints(
    const std::vector<const TPktDostosowania*>& folders);
