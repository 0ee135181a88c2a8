// One pass over a parcel or contour file: converts every coordinate pair through
// TransformPoint, groups consecutive records by precinct code, computes each record's area
// from its transformed boundary, and writes the converted file, the protocol and the index.
// The tasks ConvertParcels and ConvertContours (convert/MapFileTask.h) run it.
#pragma once
