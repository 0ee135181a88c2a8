// The conversion of the map files of the working folder: parcels, contours, points,
// layers and objects, in that order, each when its file exists and its switch is on. Every
// coordinate pair goes through TransformPoint; without a usable fit of this run nothing is
// converted. Ends with the closing message box.
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

// Converts the map files; the caller ends the run with FinishConversion.
// True when a map file is present and its conversion switch is on.
bool AnyMapFileSelected(const WorkingFileTable& files, WindowOperations& window);

void ConvertMapFiles(const WorkingFileTable& files, const TFittedTransformation& transformation,
                     WindowOperations& window, ConversionState& state);

// The end of every run: the status " Zadania wykonano" and the closing message box.
void FinishConversion(WindowOperations& window);
