// One pass over a parcel or contour file: converts every coordinate pair through
// TransformPoint, groups consecutive records by precinct code, computes each record's area
// from its transformed boundary, and writes the converted file, the protocol and the index.
#pragma once

#include <string>

#include "shell/WindowOperations.h"
#include "textio/TextFile.h"

enum class ParcelKind { Parcels, Contours };

// The three files of a pass, created by the driver before the pass; the pass closes them.
struct ParcelOutputs {
  textio::TextFileWriter converted, protocol, index;
};

// Converts the file at `inputPath`; returns the number of records read.
int ConvertParcelFile(ParcelKind kind, const std::string& inputPath, ParcelOutputs& outputs,
                      WindowOperations& window);
