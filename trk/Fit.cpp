// The fit entry points of libtrk.
#include "trk/FitModel.h"
#include "trk/trk.h"

extern "C" {

void transkf(const std::int32_t* n, const std::int32_t* m, const trk_array x1, const trk_array y1,
             const trk_array x2, const trk_array y2, trk_array vx, trk_array vy, trk_array w,
             trk_real* skala, trk_real* xo, trk_real* yo, trk_real* Xo, trk_real* Yo,
             std::int32_t* status) {
  trk::FitModel(1, n, m, x1, y1, x2, y2, vx, vy, w, skala, xo, yo, Xo, Yo, status, true);
}

void transaf(const std::int32_t* n, const std::int32_t* m, const trk_array x1, const trk_array y1,
             const trk_array x2, const trk_array y2, trk_array vx, trk_array vy, trk_array w,
             trk_real* skala, trk_real* xo, trk_real* yo, trk_real* Xo, trk_real* Yo,
             std::int32_t* status) {
  trk::FitModel(2, n, m, x1, y1, x2, y2, vx, vy, w, skala, xo, yo, Xo, Yo, status, true);
}
}
