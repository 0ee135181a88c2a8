// What one run made, as every view reads it: the report windows, the map, the PDF, the
// GeoPackage and the batch summary. A result is never changed once made; a refit in memory
// makes a new one, so a view holding a result holds a snapshot that no thread writes.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "convert/MapDrawing.h"
#include "convert/MapFileTask.h"
#include "core/WorkingFiles.h"
#include "transform/RunTransformation.h"

struct RunResult {
  std::string folder;      // the run's working folder; empty before the first run
  bool started = false;    // the run could write in its folder (else it did nothing)
  WorkingFileTable files;  // the folder's files as the run left them
  ModelChoice model;       // the model the run was asked for, with the report's decimals
  std::shared_ptr<const TransformationResult> transformation;  // never null
  // What each map file's task did (MapFile order).
  std::array<TaskResult, kMapFileCount> conversion{};
  bool geoPackageWritten = false;  // Mapa.gpkg was written
  // Every message the run showed, in order: the batch exit status and summary read these.
  std::vector<RunMessage> messages;
  // The map as the views draw it, when the request asked for it; else null.
  std::shared_ptr<const MapDrawing> map;
  // Outputs of an earlier run that described another fit and that this run removed
  // (Korekta.json, Transformacja_pelna.proj), as paths.
  std::vector<std::string> removedOutputs;
  // Optional outputs in the folder made from another fit than this run's (Mapa.gpkg, GIS
  // files and their protocols), left as they are.
  std::vector<std::string> staleOutputs;
  // The points left out of the fit of the run itself, as its files show them.
  std::vector<PointNumber> runExcluded;
  // The points were refitted in memory since the run with other exclusions: the figures
  // are the refit's, the files and the counters still the run's.
  bool refitted = false;
  int threads = 0;  // of the run; views draw the correction grid with as many

  const TransformationResult& Transformation() const { return *transformation; }
  // The map files whose conversion this run wrote.
  MapFileSet ConvertedFiles() const;
  const TFittedTransformation& Fit() const { return transformation->FittedTransformation; }
  // The result belongs to a run made in `folder` that could write there.
  bool MadeIn(const std::string& other) const { return started && folder == other; }
};

// The result before any run: no folder, nothing started, no fit.
std::shared_ptr<const RunResult> NoRunResult();
