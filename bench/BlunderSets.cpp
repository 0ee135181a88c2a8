#include "bench/BlunderSets.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

BlunderSet MakeBlunderSet(const BlunderSetShape& shape, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<long double> across(-1, 1),
      turn(0, 2 * std::numbers::pi_v<long double>), length(shape.smallest, shape.largest);
  std::normal_distribution<long double> noise(0, shape.noise);
  // The Helmert part: a shift, a scale of 12 ppm and a turn of 8 ppm.
  const long double scale = 1 + 12e-6L, rotation = 8e-6L;
  BlunderSet set;
  for (int i = 0; i < shape.points; ++i) {
    const long double s = across(random), t = across(random);
    const long double x = 5567000 + s * shape.side / 2, y = 7456000 + t * shape.side / 2;
    // The bend: the northing grows with the square of the easting, the easting with both.
    const long double bx = shape.bend * t * t, by = shape.bend * s * t;
    const long double x2 = 5567000.31L + scale * (x - 5567000) - rotation * (y - 7456000) + bx;
    const long double y2 = 7455999.78L + rotation * (x - 5567000) + scale * (y - 7456000) + by;
    // Appended, not "P" + ...: GCC 12 warns falsely of an overlap in the Release build.
    std::string nr = "P";
    nr += std::to_string(i + 1);
    set.points.push_back({nr, x, y, x2 + noise(random), y2 + noise(random)});
  }
  std::vector<int> order(static_cast<std::size_t>(shape.points));
  for (int i = 0; i < shape.points; ++i)
    order[static_cast<std::size_t>(i)] = i;
  std::shuffle(order.begin(), order.end(), random);
  for (int b = 0; b < std::min(shape.blunders, shape.points); ++b) {
    TPkt& p = set.points[static_cast<std::size_t>(order[static_cast<std::size_t>(b)])];
    const long double l = length(random), a = turn(random);
    p.x2 += l * std::cos(a);
    p.y2 += l * std::sin(a);
    set.moved.push_back(p.Nr);
  }
  std::sort(set.moved.begin(), set.moved.end());
  return set;
}

BlunderSet MaskedBlunderSet() {
  BlunderSetShape shape;
  shape.points = 20;
  shape.blunders = 6;
  return MakeBlunderSet(shape, 1);
}
