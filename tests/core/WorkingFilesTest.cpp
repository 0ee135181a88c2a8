#include "core/WorkingFiles.h"

#include <gtest/gtest.h>

#include "tests/RecordingWindow.h"
#include "tests/TestFolder.h"

namespace {

class WorkingFolderTest : public testing::Test {
 protected:
  void StartUp() {
    files.WorkingFolder = folder.Path();
    files.ClearPresence();
    files.BuildWorkingFiles();
    files.RefreshPresence(window);
  }
  std::vector<int> PresentSlots() const {
    std::vector<int> present;
    for (int k = 1; k <= kWorkingFileSlots; ++k) {
      if (files.WorkingFiles[k].present) present.push_back(k);
    }
    return present;
  }

  TestFolder folder;
  RecordingWindow window;
  WorkingFileTable files;
};

TEST_F(WorkingFolderTest, OnlyTheParcelFileLightsOnlyItsPanel) {
  folder.Write("DZIALKI.edz", "");
  StartUp();
  EXPECT_EQ(PresentSlots(), std::vector<int>{2});
  ASSERT_EQ(window.panels.size(), 27u);
  for (const auto& [slot, colour] : window.panels) {
    EXPECT_EQ(colour, slot == 2 ? PanelState::Input : PanelState::Absent) << slot;
  }
}

TEST_F(WorkingFolderTest, SlotColoursAndNames) {
  struct Case {
    const char* file;
    int slot;
    PanelState colour;
  };
  const Case cases[] = {
      {"OBIEKTY.txt", 21, PanelState::Output},    {"xy1", 15, PanelState::Output},
      {"kontury.EDZ", 4, PanelState::Input},      {"PUNKTY.ept", 6, PanelState::Input},
      {"WARSTWY.TXT", 7, PanelState::Input},      {"Protokol.tra", 17, PanelState::Output},
      {"SKO_DZIALKI.TXT", 5, PanelState::Output}, {"ERR.TRA", 25, PanelState::Output},
  };
  for (const Case& c : cases) {
    folder.Write(c.file, "x");
    StartUp();
    EXPECT_EQ(PresentSlots(), std::vector<int>{c.slot}) << c.file;
    EXPECT_EQ(window.panels[c.slot], c.colour) << c.file;
    EXPECT_EQ(files.WorkingFiles[c.slot].path, folder.File(c.file));
    folder.Remove(c.file);
  }
}

TEST_F(WorkingFolderTest, PresenceShowsTheFolderAsItIsNow) {
  folder.Write("Protokol2.txt", "x");
  StartUp();
  EXPECT_EQ(window.panels[8], PanelState::Output);
  folder.Remove("Protokol2.txt");
  files.RefreshPresence(window);
  EXPECT_EQ(window.panels[8], PanelState::Absent);
  EXPECT_TRUE(PresentSlots().empty());
}

TEST_F(WorkingFolderTest, SpareSlotIsNeverPresent) {
  folder.Write("", "");  // no such name can exist; the folder itself is not a file
  StartUp();
  EXPECT_EQ(files.WorkingFiles[24].path, "");
  EXPECT_EQ(files.WorkingFiles[24].present, 0);
  EXPECT_EQ(window.panels.count(24), 0u);
}

TEST_F(WorkingFolderTest, InputMapPanelsAreColouredFirst) {
  class OrderWindow : public RecordingWindow {
   public:
    std::vector<int> order;
    void ShowPanel(int slot, PanelState) override { order.push_back(slot); }
  } ordered;
  files.WorkingFolder = folder.Path();
  files.BuildWorkingFiles();
  files.RefreshPresence(ordered);
  const std::vector<int> expected = {2,  4,  6,  7,  1,  3,  5,  8,  9,  10, 11, 12, 13, 14,
                                     15, 16, 17, 18, 19, 20, 21, 22, 23, 25, 26, 27, 28};
  EXPECT_EQ(ordered.order, expected);
}

TEST(WorkingFolder, IsTheProgramsFolderWithoutTrailingSeparator) {
#ifdef _WIN32
  EXPECT_EQ(FolderOfProgram("C:\\Program Files\\ZORNAK_edz\\zornak_edz.exe"),
            "C:\\Program Files\\ZORNAK_edz");
  EXPECT_EQ(AbsoluteFolder("C:\\Mapy\\Łódź Bałuty\\"), "C:\\Mapy\\Łódź Bałuty");
  EXPECT_EQ(AbsoluteFolder("C:/Mapy/obręb 12/"), "C:\\Mapy\\obręb 12");
  EXPECT_EQ(AbsoluteFolder("C:\\"), "C:\\");
#else
  EXPECT_EQ(FolderOfProgram("/usr/bin/zornak_edz"), "/usr/bin");
  EXPECT_EQ(AbsoluteFolder("/tmp/"), "/tmp");
  EXPECT_EQ(AbsoluteFolder("/"), "/");
#endif
}

}  // namespace
