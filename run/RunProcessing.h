// The one processing command: takes the model from the selector texts, runs the
// transformation with local correction, refreshes the presence of the working files and
// converts the map files, reporting through `events`. A front end owns one RunState for
// the program's life and hands it to every run.
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
  ModelChoice model;
  // True: each run takes the model from the events's selector texts. A front end that
  // chose the model as numbers sets `model` and clears this.
  bool modelFromSelectors = true;
  TransformationState transformation;  // the tables of the transformation
  ConversionState conversion;          // the tables of the conversion
  // Export the converted map to Mapa.gpkg after the conversion (when built with GDAL).
  bool exportGeoPackage = false;
  // False: a fit with flagged (suspect) adjustment points converts no map file, so that no
  // blunder is spread over the map by the correction.
  bool convertWithSuspectPoints = true;
  // Also the whole correction as a PROJ pipeline: Korekta.json (tinshift) and
  // Transformacja_pelna.proj, over the map files to be converted.
  bool fullPipeline = false;
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
