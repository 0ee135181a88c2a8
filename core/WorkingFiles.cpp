#include "core/WorkingFiles.h"

#include <filesystem>

#include "textio/FolderFiles.h"
#include "textio/Platform.h"

namespace {

// Each slot's file name and the caption of its panel in the main window.
struct Slot {
  std::string_view name, caption;
};

constexpr std::array<Slot, kWorkingFileSlots + 1> kSlots = {{
    {"", ""},                                // unused index 0
    {"Dzialki.ed_", "Dzialki.ed_"},          // 1
    {"Dzialki.edz", "DZIALKI.edz"},          // 2
    {"Protokol1.txt", "Protokol1.txt"},      // 3
    {"Kontury.edz", "KONTURY.edz"},          // 4
    {"SKO_dzialki.txt", "SKO_dzialki.txt"},  // 5
    {"Punkty.ept", "PUNKTY.ept"},            // 6
    {"Warstwy.txt", "WARSTWY.txt"},          // 7
    {"Protokol2.txt", "Protokol2.txt"},      // 8
    {"Kontury.ed_", "Kontury.ed_"},          // 9
    {"SKO_kontury.txt", "SKO_kontury.txt"},  // 10
    {"Punkty.ep_", "Punkty.ep_"},            // 11
    {"Warstwy.tx_", "Warstwy.tx_"},          // 12
    {"Protokol3.txt", "Protokol3.txt"},      // 13
    {"Protokol4.txt", "Protokol4.txt"},      // 14
    {"xy1", "xy1"},                          // 15
    {"xy2", "xy2"},                          // 16
    {"Protokol.tra", "Protokol.tra"},        // 17
    {"xy.tra", "xy.tra"},                    // 18
    {"xy_sk.tra", "xy_sk.tra"},              // 19
    {"xy_sk1.tra", "xy_sk1.tra"},            // 20
    {"OBIEKTY.txt", "OBIEKTY.txt"},          // 21
    {"OBIEKTY.tx_", "OBIEKTY.tx_"},          // 22
    {"PROTOKOL5.txt", "PROTOKOL5.txt"},      // 23
    {"", ""},                                // 24, the spare
    {"err.tra", "err.tra"},                  // 25
    {"Kontrola.tra", "Kontrola.tra"},        // 26
    {"Mapa.gpkg", "Mapa.gpkg"},              // 27
    {"Szwy.txt", "Szwy.txt"},                // 28
}};

constexpr std::array<int, 4> kInputMapSlots = {slot::kParcels, slot::kContours, slot::kPoints,
                                               slot::kLayers};

bool IsInputMapSlot(int slot) {
  for (int s : kInputMapSlots) {
    if (s == slot) return true;
  }
  return false;
}

// A root ("/", "C:\\") keeps its separator.
std::string WithoutTrailingSeparator(std::string folder) {
  auto separator = [](char c) {
    return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator);
  };
  while (folder.size() > 1 && separator(folder.back()) && folder[folder.size() - 2] != ':')
    folder.pop_back();
  return folder;
}

std::filesystem::path Absolute(const std::string& path) {
  const std::filesystem::path given = textio::PathFromUtf8(path);
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::weakly_canonical(given, ec);
  if (ec) absolute = std::filesystem::absolute(given, ec);
  return absolute;
}

}  // namespace

std::string_view SlotFileName(int slot) {
  return slot >= 1 && slot <= kWorkingFileSlots ? kSlots[slot].name : std::string_view();
}

std::string_view SlotCaption(int slot) {
  return slot >= 1 && slot <= kWorkingFileSlots ? kSlots[slot].caption : std::string_view();
}

PanelState PresentState(int slot) {
  return IsInputMapSlot(slot) ? PanelState::Input : PanelState::Output;
}

std::string FolderOfProgram(const std::string& programPath) {
  return WithoutTrailingSeparator(textio::Utf8FromPath(Absolute(programPath).parent_path()));
}

std::string AbsoluteFolder(const std::string& folder) {
  return WithoutTrailingSeparator(textio::Utf8FromPath(Absolute(folder)));
}

void WorkingFileTable::BuildWorkingFiles() {
  for (int k = 1; k <= kWorkingFileSlots; ++k)
    WorkingFiles[k].path = k == slot::kSpare ? std::string() : SlotPath(k);
}

void WorkingFileTable::ClearPresence() {
  for (WorkingFileSlot& slot : WorkingFiles)
    slot.present = 0;
}

void WorkingFileTable::RefreshPresence(RunEvents& events) {
  for (int k = 1; k <= kWorkingFileSlots; ++k)
    WorkingFiles[k].present = k != slot::kSpare && SlotFileExists(k) ? 1 : 0;
  auto show = [&](int k) {
    events.ShowPanel(k, WorkingFiles[k].present ? PresentState(k) : PanelState::Absent);
  };
  for (int k : kInputMapSlots)
    show(k);
  for (int k = 1; k <= kWorkingFileSlots; ++k) {
    if (!IsInputMapSlot(k) && k != slot::kSpare) show(k);
  }
}

std::string WorkingFileTable::SlotPath(int slot) const {
  return textio::PathInFolder(WorkingFolder, SlotFileName(slot));
}

bool WorkingFileTable::SlotFileExists(int slot) const {
  return textio::FileExistsInFolder(WorkingFolder, SlotFileName(slot));
}
