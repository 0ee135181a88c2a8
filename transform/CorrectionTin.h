// The Hausbrandt correction as a triangulation for PROJ's tinshift: a grid over the map and
// the adjustment points, each square split into two triangles, refined square by square
// until the linear interpolation of the correction inside its triangles differs from the
// correction itself by at most the tolerance at every map position and at every triangle's
// centre. A vertex holds the model's value (the pipeline's horner step) and the final
// coordinates, so tinshift after horner gives the run's converted coordinates. Written as
// Korekta.json, with Transformacja_pelna.proj: the horner step and then the tinshift step.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "transform/FittedTransformation.h"

inline constexpr const char* kCorrectionTinFileName = "Korekta.json";
inline constexpr const char* kFullPipelineFileName = "Transformacja_pelna.proj";

struct CorrectionTin {
  struct Vertex {
    long double X, Y;    // the model's value: x northing, y easting, as the map files
    long double Xk, Yk;  // with the correction
  };
  std::vector<Vertex> vertices;
  std::vector<std::array<std::int32_t, 3>> triangles;
  // The largest distance between the interpolated and the true final coordinates over the
  // map positions and the triangles' centres (m), and the map positions checked.
  long double largestDifference = 0;
  std::int64_t positions = 0;
  long double tolerance = 0;
};

// The triangulation of the usable fit `f` over `positions` (map positions, primary x, y).
CorrectionTin BuildCorrectionTin(const TFittedTransformation& f,
                                 const std::vector<std::pair<long double, long double>>& positions,
                                 long double tolerance, int threads);

// Writes Korekta.json and Transformacja_pelna.proj into `folder`; false with the file and
// the system's reason in `failure`.
bool WriteCorrectionTin(const std::string& folder, const trk::FittedModel& model,
                        const CorrectionTin& tin, std::string& failure);
