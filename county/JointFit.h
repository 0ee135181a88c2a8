// One fit for several working folders: the union of their adjustment points. A number that
// two folders hold is one point when its coordinates agree in both systems (to the
// millimetre, the first folder's record stands for it); when they disagree there is no
// union, and the points and folders are named. The joint run's own folder gives the
// exclusions and the limits (its Wykluczone.txt and Limity.txt), as for a run of one folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "county/Seams.h"
#include "transform/RunTransformation.h"

struct JointInput {
  // The union, with each folder's part; null when the folders cannot be joined.
  std::shared_ptr<const TransformationInput> input;
  std::vector<SharedAdjustmentPoint> conflicts;  // numbers whose coordinates disagree
  std::vector<std::string> problems;             // UTF-8, a line each, when `input` is null
};

// Joins the inputs of `folders` (read with ReadTransformationInput, in the same order). A
// folder whose TRANSPKT.BIN is missing or not read whole cannot be joined either: a joint
// fit without its points would convert its map with a fit it had no part in. `own`, when
// given, holds the m0 of each folder's own fit (nullopt where none could be made).
JointInput JoinAdjustmentPoints(
    const std::vector<std::string>& folders,
    const std::vector<std::shared_ptr<const TransformationInput>>& inputs,
    const std::vector<std::optional<long double>>& own, const std::string& jointFolder);

// The m0 of the folder's own fit with `choice` (its Wykluczone.txt applied), computed
// without the listing, the judgement's comparison or any file; nullopt without a fit.
std::optional<long double> OwnM0(const ModelChoice& choice,
                                 std::shared_ptr<const TransformationInput> input, int threads,
                                 TransformationWork& work);
