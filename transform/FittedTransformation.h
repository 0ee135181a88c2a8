// The result of a run's fit, kept by its owner for the program's life: the listing set
// (adjustment points first, then check points), the fitted model with its point arrays,
// and the accuracy figures of the report. Point indices run from 1.
#pragma once

#include <cstdint>
#include <vector>

#include "transform/PointNumber.h"
#include "trk/FittedModel.h"

struct AccuracyFigures {
  long double sX = 0, sY = 0, s = 0, m0 = 0, maxResidual = 0;
  std::int32_t equations = 0, unknowns = 0, redundancy = 0;
  PointNumber maxResidualPoint;
};

struct TFittedTransformation {
  std::int32_t lp = 0;          // points of the listing set
  std::int32_t ls = 0;          // adjustment points, the first ls of the listing set
  std::vector<PointNumber> Nr;  // 1..lp
  trk::FittedModel model;       // primary coordinates of the listing set, the rest of the fit
  // True when this run's fit succeeded; false after a defect or before the first run.
  bool fitted = false;
  // True when this run's TRANSPKT.BIN could not be read whole.
  bool readFailed = false;
  std::int32_t pointsRead = 0;  // records of TRANSPKT.BIN read whole this run
  // The record count TRANSPKT.BIN declares; -1 when the file or its header could not be read.
  std::int32_t recordsDeclared = -1;
  AccuracyFigures figures;  // of this run's fit, when fitted

  // The map files may be converted only with a fit of this run from a whole TRANSPKT.BIN:
  // coordinates from a damaged file, or from an earlier run, must not overwrite them.
  bool Usable() const { return fitted && !readFailed; }
};
