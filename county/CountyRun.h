// The steps of a county run that every front end takes alike: a joint fit prepared from its
// folders, and the seam search over the results of the folders' runs.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "convert/RunResult.h"
#include "county/JointFit.h"
#include "county/Seams.h"

class RunEvents;

struct PreparedJoint {
  std::string folder;                // the joint fit's own folder, absolute
  std::vector<std::string> folders;  // the folders joined, absolute, in order
  std::vector<std::shared_ptr<const TransformationInput>> inputs;  // each folder's own
  std::vector<std::optional<long double>> ownM0;                   // of each folder's own fit
  JointInput joint;  // joint.input null: no joint fit; joint.problems say why
};

// Makes the joint folder when it is missing (it must not be one of the folders: the fit's
// reports would take the place of a folder's own), reads every folder's input (a failed
// read shows its message through `events`), fits each alone for its m0 and joins them.
PreparedJoint PrepareJoint(const std::vector<std::string>& folders, const std::string& jointFolder,
                           const ModelChoice& choice, int threads, RunEvents& events);

// The seams of a county's separate runs, as both front ends find and report them.
struct CountySeams {
  SeamFindings findings;
  std::vector<std::string> names;  // the folders, in order, as the report names them
  long double tolerance = kSeamTolerance;
  std::string path;  // Szwy.txt, absolute when written
  bool written = false;
  std::string failure;            // "<path>: <reason>" when not written
  std::size_t overTolerance = 0;  // vertices over the tolerance, all pairs
};

// The seams between `folders` (SeamFolderOf each run), written into `path` (Szwy.txt).
CountySeams FindCountySeams(const std::vector<SeamFolder>& folders, long double tolerance,
                            int threads, const std::string& path);

// A folder of the seam search from its run: the map positions its run converted, its fit,
// and the adjustment points of `own` (its TRANSPKT.BIN as read; null: none compared).
SeamFolder SeamFolderOf(const std::string& name, const RunResult* run,
                        const TransformationInput* own);
