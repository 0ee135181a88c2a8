// The point file: each record is a 20-character name and two coordinate pairs, both carried
// through TransformPoint and written in 18 columns with 2 decimals; the rest of the line is
// copied. A record with a number that cannot be read is reported and left out.
#pragma once

#include "shell/WindowOperations.h"

// Converts Punkty.ept into Punkty.ep_ with the protocol Protokol3.txt; `lastPassCount` is
// the record count of the last parcel or contour pass of this run. Returns the number of
// point records.
int ConvertPointFile(int lastPassCount, WindowOperations& window);
