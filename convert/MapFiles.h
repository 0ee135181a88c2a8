// Where the conversion finds its files: the slots of the working folder's file table.
#pragma once

#include <string>

#include "shell/WindowOperations.h"
#include "shell/WorkingFiles.h"
#include "textio/FolderFiles.h"

namespace slot {
constexpr int kParcelsOut = 1, kParcels = 2, kParcelsProtocol = 3, kContours = 4, kParcelsIndex = 5,
              kPoints = 6, kLayers = 7, kContoursProtocol = 8, kContoursOut = 9,
              kContoursIndex = 10, kPointsOut = 11, kLayersOut = 12, kPointsProtocol = 13,
              kLayersProtocol = 14, kObjects = 21, kObjectsOut = 22, kObjectsProtocol = 23;
}  // namespace slot

// The slot's file in the working folder now: an existing file of its name in any letter
// case, else the slot's own name.
inline std::string SlotPath(int slotNumber) {
  return textio::PathInFolder(WorkingFolder, SlotFileName(slotNumber));
}

inline bool SlotFileExists(int slotNumber) {
  return textio::FileExistsInFolder(WorkingFolder, SlotFileName(slotNumber));
}

// Marks the panel of a written file.
inline void MarkPanel(WindowOperations& window, int slotNumber) {
  window.ColourPanel(slotNumber, PanelColour::Window);
}
