// The one shape of every map-file task: it takes the run's context, converts its input
// file of the working folder into its converted file and protocol (and index), reports
// through the run's events, and returns what it did. The driver runs the tasks from one table.
#pragma once

#include "transform/TransformPoint.h"

#include <array>
#include <initializer_list>
#include <vector>

#include "convert/ParcelIndex.h"
#include "core/RunEvents.h"
#include "core/WorkingFiles.h"
#include "textio/TextFile.h"
#include "transform/FittedTransformation.h"

// Tables of the conversion that grow with the input and are kept for the next pass.
struct ConversionTables {
  std::vector<ParcelEntry> parcels;  // the index rows of a parcel or contour pass
};

// How a conversion shares its work among threads: their number (0: every core) and the coordinate
// pairs read, transformed and written together (a batch holds whole records, at least one).
struct ConversionWork {
  int threads = 0;
  std::size_t batchPairs = 4096;
};

struct TaskContext {
  const WorkingFileTable& files;
  const TFittedTransformation& transformation;
  ConversionTables& tables;
  RunEvents& events;
  const ConversionWork& work;
  int lastPassRecords = 0;  // records of this run's last parcel or contour pass
};

struct TaskResult {
  bool ran = false;        // the file was present, switched on, and a usable fit was there
  bool converted = false;  // the task ran and wrote its converted file
  bool writeFailed = false;
  int records = 0;  // records converted (parcel and contour passes: records read)
  int errors = 0;   // faulty records reported in the protocol
  // The corrections of the file's coordinate pairs (parcel, contour and point files).
  CorrectionTally correction;
};

using MapFileTask = TaskResult (*)(TaskContext& context);

TaskResult ConvertParcels(TaskContext& context);
TaskResult ConvertContours(TaskContext& context);
TaskResult ConvertPoints(TaskContext& context);
TaskResult ConvertLayers(TaskContext& context);
TaskResult ConvertObjects(TaskContext& context);

// Closes an output of a task. A written file lights its panel; a file that could not be
// written is reported and marks the result.
void FinishOutput(TaskContext& context, textio::TextFileWriter& file, int slot, TaskResult& result);
// After a converted file that could not be written: its counters show nothing.
void ClearCounters(TaskContext& context, std::initializer_list<Counter> counters);
