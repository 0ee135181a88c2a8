// The fit behind the entry points transkf and transaf (kind 1 and 2), shared with the C++
// face. Arguments as for those entry points; with `layOut` false the correction's packed
// layout is not written into w, which then needs only TrkFirstCofactorIndex(u) + 1 reals,
// and x1 .. vy only m + 1.
#pragma once

#include <cstdint>

#include "trk/trk.h"

namespace trk {

void FitModel(std::int32_t kind, const std::int32_t* n, const std::int32_t* m, const trk_real* x1,
              const trk_real* y1, const trk_real* x2, const trk_real* y2, trk_real* vx,
              trk_real* vy, trk_real* w, trk_real* skala, trk_real* xo, trk_real* yo, trk_real* Xo,
              trk_real* Yo, std::int32_t* status, bool layOut);

}  // namespace trk
