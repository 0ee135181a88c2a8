// The conversion of the map files of the working folder: parcels, contours, points, layers
// and objects, in that order, each when its file exists and the run's request asks for it.
// Every coordinate pair goes through TransformPoint; without a usable fit of this run
// nothing is converted. Ends with the closing message box.
#pragma once

#include <array>

#include "convert/MapFileTask.h"

struct ConversionState {
  ConversionTables tables;
  ConversionWork work;
  // What each map file's task did in the last run (MapFile order); a file whose task did
  // not run keeps converted == false.
  std::array<TaskResult, kMapFileCount> results;
};

// The map files a run converts: those present that the request asks for.
MapFileSet SelectedMapFiles(const WorkingFileTable& files, const MapFileSet& asked);
bool AnySelected(const MapFileSet& selected);

// Converts the selected map files; the caller ends the run with FinishConversion.
void ConvertMapFiles(const WorkingFileTable& files, const MapFileSet& selected,
                     const TFittedTransformation& transformation, RunEvents& events,
                     ConversionState& state);

// The end of every run: the status " Zadania wykonano" and the closing message box.
void FinishConversion(RunEvents& events);
