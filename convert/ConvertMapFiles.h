// The conversion of the map files of the working folder through TransformPoint.
#pragma once

class WindowOperations;

// Converts the present, selected map files. Not built yet: converts nothing.
void ConvertMapFiles(WindowOperations& window);
