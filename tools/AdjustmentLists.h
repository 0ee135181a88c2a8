// Making TRANSPKT.BIN from the two text lists of adjustment points, xy1 (primary system)
// and xy2 (secondary system): one point a line, its number and two coordinates separated by
// blanks or tabs. Points are paired by number in the order of xy1.
#pragma once

#include <ostream>
#include <string>

#include "transform/UPKTBIN.h"

// Reads one list; false (with the file and line named on `err`) when a line is not
// "number x y" or the file cannot be read. Blank lines are skipped.
bool ReadAdjustmentList(const std::string& path, TPktDostosowania& points, bool secondary,
                        std::ostream& err);

// Pairs the lists and writes the file (atomically). Points of one list without a partner in
// the other are named on `err` and left out, and so is every repeated number; success says
// on `out` how many points were written. Returns 0 on success, 1 on any failure.
int MakeTransPkt(const std::string& xy1, const std::string& xy2, const std::string& output,
                 std::ostream& out, std::ostream& err);
