// libtrk: fit of a plane transformation by least squares and its evaluation at one point
// with the Hausbrandt correction. Conformal model (kind 1): X-Xo + i(Y-Yo) = sum c[k] z^k,
// z = u + iv, c[k] = a[k] + i b[k]. General model (kind 2): X-Xo = sum a[i,j] u^i v^j and
// Y-Yo = sum b[i,j] u^i v^j over i+j <= n. u = (x-xo)*skala, v = (y-yo)*skala.
//
// Every real is an 80-bit extended real. Every array has indices 0 to TRK_MAX_POINTS;
// points occupy 1 to m and index 0 is never used. Scalars go by reference.
//
// Layout of w (u unknowns: 2n+2 for kind 1, (n+1)(n+2) for kind 2):
//   w[1]          sum of squared residuals [vv] (m^2)
//   w[k+1]        coefficient k, k = 1..u (kind 1: a0 b0 a1 b1 ...; kind 2: all a[i,j] then
//                 all b[i,j], i outer 0..n, j inner 0..n-i)
//   w[p(k)]       cofactor of coefficient k, k = 2..u, p(k) = (k-1)(u+2)+1-(k-1)(k-2)/2: the
//                 diagonal of an upper triangle of order u+2 stored row by row from index 1
//   w[TrkFirstCofactorIndex(u)]  cofactor of coefficient 1, whose p(1) = 1 holds [vv]; it
//                 lies just past that triangle.
//   w[TrkHausbrandtIndex(u)]     the number m of adjustment points laid out after it for the
//                 correction, four reals each: the model position x2-vx, y2-vy and the
//                 residuals vx, vy (0 when m exceeds TrkHausbrandtCapacity(u); the
//                 evaluation then reads x2, y2, vx and vy).
#pragma once

#include <cfloat>
#include <cstdint>

// The entry points go out under their plain C names: exported from trk.dll, visible in
// libtrk.so.
#if defined(_WIN32)
#if defined(TRK_BUILDING_LIBRARY)
#define TRK_API __declspec(dllexport)
#else
#define TRK_API __declspec(dllimport)
#endif
#else
#define TRK_API __attribute__((visibility("default")))
#endif

// Every result depends on the 64-bit mantissa; a compiler whose long double is the 53-bit
// double (MSVC) would change them all silently.
static_assert(LDBL_MANT_DIG == 64, "libtrk needs long double as the 80-bit extended real");

constexpr std::int32_t TRK_MAX_POINTS = 200000;
constexpr std::int32_t TRK_ARRAY_SIZE = TRK_MAX_POINTS + 1;
constexpr std::int32_t TRK_MAX_DEGREE = 9;

using trk_real = long double;
using trk_array = trk_real[TRK_ARRAY_SIZE];

// Number of unknowns of a model: kind 1 gives 2n+2, any other kind (n+1)(n+2).
constexpr std::int32_t TrkUnknowns(std::int32_t kind, std::int32_t n) {
  return kind == 1 ? 2 * n + 2 : (n + 1) * (n + 2);
}
// Position in w of cofactor k (k >= 2) of a model with u unknowns.
constexpr std::int32_t TrkCofactorIndex(std::int32_t u, std::int32_t k) {
  return (k - 1) * (u + 2) + 1 - (k - 1) * (k - 2) / 2;
}
// Position in w of the cofactor of coefficient 1.
constexpr std::int32_t TrkFirstCofactorIndex(std::int32_t u) {
  return (u + 2) * (u + 3) / 2 + 1;
}

// Position in w of the count of the laid-out adjustment points, and how many fit.
constexpr std::int32_t TrkHausbrandtIndex(std::int32_t u) {
  return TrkFirstCofactorIndex(u) + 1;
}
constexpr std::int32_t TrkHausbrandtCapacity(std::int32_t u) {
  return (TRK_MAX_POINTS - TrkHausbrandtIndex(u)) / 4;
}

extern "C" {

// Fit, conformal (transkf) or general (transaf).
//   n        degree, 1..9
//   m        number of adjustment points, 1..TRK_MAX_POINTS
//   x1, y1   adjustment points in the primary system (m)
//   x2, y2   the same points in the secondary system (m)
//   vx, vy   out: residuals, secondary minus model value (m)
//   w        out: solution array, layout above
//   skala    out: normalising scale (1/m), 1 / largest |x-xo| or |y-yo|
//   xo, yo   out: centroid of the primary points (m)
//   Xo, Yo   out: centroid of the secondary points (m)
//   status   out: 1 when the normal system is singular or nearly so (or n, m out of range);
//            no output but status is then changed. 0 on success.
TRK_API void transkf(const std::int32_t* n, const std::int32_t* m, const trk_array x1,
                     const trk_array y1, const trk_array x2, const trk_array y2, trk_array vx,
                     trk_array vy, trk_array w, trk_real* skala, trk_real* xo, trk_real* yo,
                     trk_real* Xo, trk_real* Yo, std::int32_t* status);
TRK_API void transaf(const std::int32_t* n, const std::int32_t* m, const trk_array x1,
                     const trk_array y1, const trk_array x2, const trk_array y2, trk_array vx,
                     trk_array vy, trk_array w, trk_real* skala, trk_real* xo, trk_real* yo,
                     trk_real* Xo, trk_real* Yo, std::int32_t* status);

// Evaluation with Hausbrandt correction, conformal (transkpf) or general (transapf).
//   x, y       the point in the primary system (m)
//   X, Y       out: model value (m)
//   Xk, Yk     out: model value plus correction; at an adjustment point exactly x2, y2
//   m, n       number of adjustment points and degree, as for the fit
//   skala .. Yo, x2, y2, vx, vy, w: as the fit returned them; read only
//   dx, dy     out: the correction, the residuals weighted by 1/d^2, d measured between the
//              model position of the point and the model positions x2-vx, y2-vy of the
//              adjustment points; at an adjustment point, its residuals
TRK_API void transkpf(const trk_real* x, const trk_real* y, trk_real* X, trk_real* Y, trk_real* Xk,
                      trk_real* Yk, const std::int32_t* m, const std::int32_t* n,
                      const trk_real* skala, const trk_real* xo, const trk_real* yo,
                      const trk_real* Xo, const trk_real* Yo, const trk_array x2,
                      const trk_array y2, const trk_array vx, const trk_array vy, const trk_array w,
                      trk_real* dx, trk_real* dy);
TRK_API void transapf(const trk_real* x, const trk_real* y, trk_real* X, trk_real* Y, trk_real* Xk,
                      trk_real* Yk, const std::int32_t* m, const std::int32_t* n,
                      const trk_real* skala, const trk_real* xo, const trk_real* yo,
                      const trk_real* Xo, const trk_real* Yo, const trk_array x2,
                      const trk_array y2, const trk_array vx, const trk_array vy, const trk_array w,
                      trk_real* dx, trk_real* dy);
}
