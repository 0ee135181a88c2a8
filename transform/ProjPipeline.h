// The fitted model, without the Hausbrandt correction, as a PROJ pipeline: one horner step
// (fwd_c for the conformal kind, fwd_u and fwd_v for the general one) whose coefficients
// are the model's, scaled from the normalised variables to metres about the primary
// centroid, in full double precision. Coordinates keep the order of the map files: first
// x (northing), then y (easting). The correction depends on the adjustment points, not on a
// formula PROJ has, so it is not part of the pipeline.
#pragma once

#include <string>

#include "trk/FittedModel.h"

inline constexpr const char* kPipelineFileName = "Transformacja.proj";

// The pipeline text on one line (no comment).
std::string ProjPipeline(const trk::FittedModel& model);

// Transformacja.proj of `folder`: comment lines with the model, the axis order and how to
// apply it, then the pipeline; written atomically. False with the file and the system's
// reason in `failure`.
bool WritePipelineFile(const std::string& folder, const trk::FittedModel& model,
                       std::string& failure);
