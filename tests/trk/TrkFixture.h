// Arrays of the library's size and point generators for the libtrk tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "trk/trk.h"

struct TrkFit {
  TrkFit()
      : x1(TRK_ARRAY_SIZE),
        y1(TRK_ARRAY_SIZE),
        x2(TRK_ARRAY_SIZE),
        y2(TRK_ARRAY_SIZE),
        vx(TRK_ARRAY_SIZE),
        vy(TRK_ARRAY_SIZE),
        w(TRK_ARRAY_SIZE) {}

  std::vector<long double> x1, y1, x2, y2, vx, vy, w;
  std::int32_t kind = 1, n = 1, m = 0, status = -1;
  long double skala = 0, xo = 0, yo = 0, Xo = 0, Yo = 0;

  void Add(long double x, long double y, long double X, long double Y) {
    ++m;
    x1[m] = x;
    y1[m] = y;
    x2[m] = X;
    y2[m] = Y;
  }
  bool Run() {
    (kind == 1 ? transkf : transaf)(&n, &m, x1.data(), y1.data(), x2.data(), y2.data(), vx.data(),
                                    vy.data(), w.data(), &skala, &xo, &yo, &Xo, &Yo, &status);
    return status != 1;
  }
  struct Result {
    long double X, Y, Xk, Yk, dx, dy;
  };
  Result At(long double x, long double y) const {
    Result r{};
    (kind == 1 ? transkpf : transapf)(&x, &y, &r.X, &r.Y, &r.Xk, &r.Yk, &m, &n, &skala, &xo, &yo,
                                      &Xo, &Yo, x2.data(), y2.data(), vx.data(), vy.data(),
                                      w.data(), &r.dx, &r.dy);
    return r;
  }
};

// Well-spread points: a jittered grid over a 3 km square of "2000"-system magnitude.
inline void SpreadPoints(int count, std::uint32_t seed,
                         const std::function<void(long double, long double)>& add) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<long double> jitter(-80, 80);
  const int side = static_cast<int>(std::ceil(std::sqrt(count)));
  for (int i = 0; i < count; ++i) {
    add(5567000.0L + (i / side) * 3000.0L / side + jitter(random),
        7456000.0L + (i % side) * 3000.0L / side + jitter(random));
  }
}
