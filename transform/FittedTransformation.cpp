#include "transform/FittedTransformation.h"

#include "trk/trk.h"

TFittedTransformation::TFittedTransformation()
    : Nr(TRK_ARRAY_SIZE),
      x(TRK_ARRAY_SIZE),
      y(TRK_ARRAY_SIZE),
      x2(TRK_ARRAY_SIZE),
      y2(TRK_ARRAY_SIZE),
      vx(TRK_ARRAY_SIZE),
      vy(TRK_ARRAY_SIZE),
      w(TRK_ARRAY_SIZE) {}

TFittedTransformation FittedTransformation;
