// The one processing command: a request in, a result out. It runs the transformation with
// local correction, refreshes the presence of the working files and converts the map files
// the request asks for, reporting through an event sink from which it reads nothing. A front
// end owns one RunState for the program's life (its folder and the tables that grow with the
// input) and hands it to every run; everything a view or an export needs afterwards is in
// the returned result.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "convert/ConvertMapFiles.h"
#include "convert/RunResult.h"
#include "core/RunEvents.h"
#include "core/RunRequest.h"
#include "core/WorkingFiles.h"
#include "transform/RunTransformation.h"

// Whether this build can export a GeoPackage: its plugin (built where GDAL was found) lies
// beside the program or in its library folder. Loads nothing.
bool GeoPackageAvailable();

// ZORNAK_THREADS as a thread count for RunState::threads: 0 (every core) when unset or not a
// number above 0. The front ends read it once at start; nothing below them reads it.
int ThreadsFromEnvironment();

struct RunState {
  // Threads of every pass of the run: the listing, the judgement, the conversion; 0 is every
  // core. The number never changes a result, only the time.
  int threads = 0;
  WorkingFileTable files;
  TransformationState transformation;  // the tables of the transformation
  ConversionState conversion;          // the tables of the conversion
  // A joint fit of several folders. `jointInput`: the run fits this union of their adjustment
  // points instead of the folder's TRANSPKT.BIN and writes its report files as usual.
  // `jointFit`: the run converts the folder's map files through this joint result and writes
  // no report of the fit into the folder. Both null for a run of one folder.
  std::shared_ptr<const TransformationInput> jointInput;
  std::shared_ptr<const TransformationResult> jointFit;
  // The last run's result (NoRunResult before the first); a refit replaces it.
  std::shared_ptr<const RunResult> result = NoRunResult();

  const RunResult& Result() const { return *result; }
};

// Runs `request` on state.files.WorkingFolder; BuildWorkingFiles must have run for it. The
// result is also kept as state.result. When no file can be created in the folder, one
// message says so and nothing else happens (the result is not `started`): no file is
// written, no panel lit, no counter filled.
std::shared_ptr<const RunResult> RunProcessing(RunState& state, const RunRequest& request,
                                               RunEvents& events);

// The result of a refit of `base` in memory with `excluded` left out instead of
// Wykluczone.txt's list: exactly what a run with that list computes, no file read or
// written. `work` is the refit's own (a worker thread has its own). The files, the
// conversion and the counters stay the run's; refitted tells whether the exclusions now
// differ from those the run's files were made with.
std::shared_ptr<const RunResult> RefitResult(const RunResult& base,
                                             const std::vector<PointNumber>& excluded,
                                             double comparisonBudget, TransformationWork& work);
