// The working folder and its table of file slots. Slot k has the path of its fixed file
// name in the working folder and a presence flag. Slots 1..24 are the program's classic
// table, whose slot 24 is a spare with an empty path that is never present; the slots
// after it show files added since (err.tra, Kontrola.tra, Mapa.gpkg, and Szwy.txt, the seams
// of a joint run's folders in its own folder). File names match existing files regardless of
// case.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/RunEvents.h"

namespace slot {
inline constexpr int kParcelsOut = 1, kParcels = 2, kParcelsProtocol = 3, kContours = 4,
                     kParcelsIndex = 5, kPoints = 6, kLayers = 7, kContoursProtocol = 8,
                     kContoursOut = 9, kContoursIndex = 10, kPointsOut = 11, kLayersOut = 12,
                     kPointsProtocol = 13, kLayersProtocol = 14, kXy1 = 15, kXy2 = 16, kReport = 17,
                     kXy = 18, kXySk = 19, kXySk1 = 20, kObjects = 21, kObjectsOut = 22,
                     kObjectsProtocol = 23, kSpare = 24, kErrors = 25, kControl = 26,
                     kGeoPackage = 27, kSeams = 28;
}  // namespace slot

// The input every run starts from; it has no panel of its own.
inline constexpr const char* kAdjustmentPointsFileName = "TRANSPKT.BIN";

// The name proposed for a run's PDF report in its working folder; no panel either.
inline constexpr const char* kPdfReportFileName = "Raport.pdf";

// The highest slot number.
constexpr int kWorkingFileSlots = 28;

// The slots of one map file; 0 where it has no such file.
struct MapFileSlots {
  int input, converted, protocol, index;
};
inline constexpr std::array<MapFileSlots, kMapFileCount> kMapFileSlots = {{
    {slot::kParcels, slot::kParcelsOut, slot::kParcelsProtocol, slot::kParcelsIndex},
    {slot::kContours, slot::kContoursOut, slot::kContoursProtocol, slot::kContoursIndex},
    {slot::kPoints, slot::kPointsOut, slot::kPointsProtocol, 0},
    {slot::kLayers, slot::kLayersOut, slot::kLayersProtocol, 0},
    {slot::kObjects, slot::kObjectsOut, slot::kObjectsProtocol, 0},
}};
constexpr const MapFileSlots& SlotsOf(MapFile file) {
  return kMapFileSlots[static_cast<int>(file)];
}

struct WorkingFileSlot {
  std::string path;
  std::int32_t present = 0;
};

// The slot's file name as the table gives it ("Dzialki.edz"); empty for the spare.
std::string_view SlotFileName(int slot);
// The caption of the slot's panel ("DZIALKI.edz"); empty for the spare.
std::string_view SlotCaption(int slot);
// The state of the slot's panel when its file is present.
PanelState PresentState(int slot);

// The folder of `programPath` / `folder` itself, absolute, without a trailing separator.
std::string FolderOfProgram(const std::string& programPath);
std::string AbsoluteFolder(const std::string& folder);

// One working folder and its file table, owned by the front end for the program's life.
struct WorkingFileTable {
  std::string WorkingFolder;
  // Index 0 is unused, so slot numbers index the table directly.
  std::array<WorkingFileSlot, kWorkingFileSlots + 1> WorkingFiles;

  // Paths of every slot but the spare: the existing file of the slot's name in any letter
  // case, else the slot's own name in WorkingFolder. The spare's stays empty.
  void BuildWorkingFiles();
  void ClearPresence();
  // Sets every slot's flag to whether its file exists now and shows every panel: input map
  // files first (2, 4, 6, 7), then 1, 3, 5, 8 to 23 and 25.
  void RefreshPresence(RunEvents& events);

  // The slot's file in the folder now: an existing file of its name in any letter case,
  // else the slot's own name.
  std::string SlotPath(int slot) const;
  bool SlotFileExists(int slot) const;
};
