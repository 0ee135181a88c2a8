// The layer file: sections of kind 1 (one position, codes 121 and 249, with an optional
// second position when bit 5 of the code value is set) and kind 2 (two positions, codes
// 23 and 151), each in layout A (fixed-point) or B (scientific, one more leading word).
#pragma once

#include "shell/WindowOperations.h"

// Converts Warstwy.txt into Warstwy.tx_ with the protocol Protokol4.txt; returns the
// number of converted records.
int ConvertLayerFile(WindowOperations& window);
