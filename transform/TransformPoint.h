// One primary point into the secondary system: the fitted model and its Hausbrandt
// correction, through libtrk, from FittedTransformation, TransformKind and TransformDegree.
// Reads them only; allocates nothing; the same point always gives the same result.
#pragma once

struct TransformedPoint {
  long double X = 0, Y = 0;    // model value
  long double dx = 0, dy = 0;  // Hausbrandt correction
  long double Xk = 0, Yk = 0;  // final coordinates, X + dx and Y + dy
};

void TransformPoint(long double x, long double y, TransformedPoint& result);
