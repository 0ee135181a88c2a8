#include "shell/WorkingFiles.h"

#include <filesystem>

#include "textio/FolderFiles.h"

std::string WorkingFolder;
std::array<WorkingFileSlot, kWorkingFileSlots + 1> WorkingFiles;

namespace {

constexpr std::array<std::string_view, kWorkingFileSlots + 1> kSlotNames = {"",  // unused index 0
                                                                            "Dzialki.ed_",
                                                                            "Dzialki.edz",
                                                                            "Protokol1.txt",
                                                                            "Kontury.edz",
                                                                            "SKO_dzialki.txt",
                                                                            "Punkty.ept",
                                                                            "Warstwy.txt",
                                                                            "Protokol2.txt",
                                                                            "Kontury.ed_",
                                                                            "SKO_kontury.txt",
                                                                            "Punkty.ep_",
                                                                            "Warstwy.tx_",
                                                                            "Protokol3.txt",
                                                                            "Protokol4.txt",
                                                                            "xy1",
                                                                            "xy2",
                                                                            "Protokol.tra",
                                                                            "xy.tra",
                                                                            "xy_sk.tra",
                                                                            "xy_sk1.tra",
                                                                            "OBIEKTY.txt",
                                                                            "OBIEKTY.tx_",
                                                                            "PROTOKOL5.txt",
                                                                            ""};

constexpr std::array<int, 4> kInputMapSlots = {2, 4, 6, 7};

bool IsInputMapSlot(int slot) {
  for (int s : kInputMapSlots) {
    if (s == slot) return true;
  }
  return false;
}

std::string WithoutTrailingSeparator(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

}  // namespace

std::string_view SlotFileName(int slot) {
  return slot >= 1 && slot <= kWorkingFileSlots ? kSlotNames[slot] : std::string_view();
}

PanelColour SlotColour(int slot) {
  return IsInputMapSlot(slot) ? PanelColour::InfoBk : PanelColour::Window;
}

void LocateWorkingFolder(const std::string& programPath) {
  std::error_code ec;
  std::filesystem::path program = std::filesystem::weakly_canonical(programPath, ec);
  if (ec) program = std::filesystem::absolute(programPath, ec);
  WorkingFolder = WithoutTrailingSeparator(program.parent_path().string());
}

void SetWorkingFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::weakly_canonical(folder, ec);
  if (ec) path = std::filesystem::absolute(folder, ec);
  WorkingFolder = WithoutTrailingSeparator(path.string());
}

void BuildWorkingFiles() {
  for (int k = 1; k < kWorkingFileSlots; ++k) {
    WorkingFiles[k].path = textio::PathInFolder(WorkingFolder, kSlotNames[k]);
  }
  WorkingFiles[kWorkingFileSlots].path.clear();
}

void ClearPresence() {
  for (WorkingFileSlot& slot : WorkingFiles)
    slot.present = 0;
}

void RefreshPresence(WindowOperations& window) {
  for (int k = 1; k < kWorkingFileSlots; ++k) {
    WorkingFiles[k].present = textio::FileExistsInFolder(WorkingFolder, kSlotNames[k]) ? 1 : 0;
  }
  WorkingFiles[kWorkingFileSlots].present = 0;
  auto colour = [&](int k) {
    window.ColourPanel(k, WorkingFiles[k].present ? SlotColour(k) : PanelColour::BtnFace);
  };
  for (int k : kInputMapSlots)
    colour(k);
  for (int k = 1; k < kWorkingFileSlots; ++k) {
    if (!IsInputMapSlot(k)) colour(k);
  }
}
