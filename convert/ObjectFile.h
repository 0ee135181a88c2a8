// The object file: like the layer file, but one layout, the section code in the third word
// (121 one position, 23 two positions), coordinates in fixed(10,2), no code value.
#pragma once

#include "shell/WindowOperations.h"

// Converts OBIEKTY.txt into OBIEKTY.tx_ with the protocol PROTOKOL5.txt; returns the
// number of converted records.
int ConvertObjectFile(WindowOperations& window);
