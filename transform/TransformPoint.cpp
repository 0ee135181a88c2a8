#include "transform/TransformPoint.h"

#include "transform/FittedTransformation.h"
#include "transform/TransformSettings.h"
#include "trk/trk.h"

void TransformPoint(long double x, long double y, TransformedPoint& r) {
  const TFittedTransformation& f = FittedTransformation;
  auto evaluate = TransformKind == 1 ? transkpf : transapf;
  evaluate(&x, &y, &r.X, &r.Y, &r.Xk, &r.Yk, &f.lp, &TransformDegree, &f.skala, &f.xo, &f.yo, &f.Xo,
           &f.Yo, f.x2.data(), f.y2.data(), f.vx.data(), f.vy.data(), f.w.data(), &r.dx, &r.dy);
}
