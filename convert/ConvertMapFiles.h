// The conversion of the map files of the working folder: parcels, contours, points,
// layers and objects, in that order, each when its file exists and its switch is on. Every
// coordinate pair goes through TransformPoint; without a fit of this run nothing is
// converted. Ends with the closing message box.
#pragma once

class WindowOperations;

void ConvertMapFiles(WindowOperations& window);
