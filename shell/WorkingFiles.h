// The working folder and its table of 24 file slots. Slot k (1..24) has the path of its
// fixed file name in the working folder and a presence flag; slot 24 is a spare with an
// empty path and is never present. File names match existing files regardless of case.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/WindowOperations.h"

struct WorkingFileSlot {
  std::string path;
  std::int32_t present = 0;
};

constexpr int kWorkingFileSlots = 24;

extern std::string WorkingFolder;
// Index 0 is unused, so slot numbers index the table directly.
extern std::array<WorkingFileSlot, kWorkingFileSlots + 1> WorkingFiles;

// The slot's file name as the table gives it ("Dzialki.edz"); empty for slot 24.
std::string_view SlotFileName(int slot);
// The caption of the slot's panel ("DZIALKI.edz"); empty for slot 24.
std::string_view SlotCaption(int slot);
// The colour of the slot's panel when its file is present.
PanelColour SlotColour(int slot);

// Sets WorkingFolder to the folder of `programPath`, without a trailing separator.
void LocateWorkingFolder(const std::string& programPath);
// Sets WorkingFolder to `folder` itself (made absolute, no trailing separator).
void SetWorkingFolder(const std::string& folder);
// Paths of slots 1..23: the existing file of the slot's name in any letter case, else the
// slot's own name in WorkingFolder. Slot 24 stays empty.
void BuildWorkingFiles();
void ClearPresence();
// Sets every slot's flag to whether its file exists now and colours every panel: lit in
// the slot's colour when present, clBtnFace when not. Input map files first (2, 4, 6, 7),
// then 1, 3, 5 and 8 to 23.
void RefreshPresence(WindowOperations& window);
