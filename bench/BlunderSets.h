// Simulated adjustment point sets with several blunders, whose answer is known: n points
// over a square, the secondary system a Helmert transformation of the primary plus a smooth
// bend and a noise, and k of the points moved by a random distance in a random direction.
// The robust proposal's property test and benchmark draw from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transform/UPKTBIN.h"

struct BlunderSetShape {
  int points = 20;
  int blunders = 0;
  long double side = 2000;                        // metres, the square the points fill
  long double bend = 0.02L;                       // metres, the largest of the smooth bend
  long double noise = 0.01L;                      // metres, per coordinate
  long double smallest = 0.08L, largest = 0.30L;  // metres, the blunders' lengths
};

struct BlunderSet {
  TPktDostosowania points;         // numbered P1, P2, ...
  std::vector<std::string> moved;  // the numbers of the points moved, ascending as text
};

// The set of `shape` drawn from `seed`; the same seed gives the same set.
BlunderSet MakeBlunderSet(const BlunderSetShape& shape, std::uint64_t seed);

// Twenty points, six of them moved (seed 1): blunders that hide one another, so that the
// set's test of a Helmert fit names none of them. The tests' example of masking.
BlunderSet MaskedBlunderSet();
