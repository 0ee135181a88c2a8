#include "batch/ConsoleWindow.h"

#include "shell/WorkingFiles.h"

namespace {

constexpr std::array<const char*, 11> kCounterNames = {"Edit1",  "Edit2",  "Edit3", "Edit4",
                                                       "Edit5",  "Edit8",  "Edit9", "Edit10",
                                                       "Edit12", "Edit13", "Edit14"};

constexpr std::chrono::milliseconds kStatusInterval(40);

const char* ColourName(PanelColour colour) {
  switch (colour) {
    case PanelColour::InfoBk:
      return "clInfoBk";
    case PanelColour::Window:
      return "clWindow";
    case PanelColour::BtnFace:
      break;
  }
  return "clBtnFace";
}

}  // namespace

ConsoleWindow::ConsoleWindow(std::string kindText, std::string degreeText, std::ostream& log)
    : kindText_(std::move(kindText)), degreeText_(std::move(degreeText)), log_(log) {}

void ConsoleWindow::ShowStatus(std::string_view text) {
  pendingStatus_.assign(text);
  statusPending_ = true;
  if (std::chrono::steady_clock::now() - lastStatus_ >= kStatusInterval) FlushStatus();
}

void ConsoleWindow::FlushStatus() {
  if (!statusPending_) return;
  log_ << "status:" << pendingStatus_ << '\n' << std::flush;
  statusPending_ = false;
  lastStatus_ = std::chrono::steady_clock::now();
}

void ConsoleWindow::ShowMessage(std::string_view text) {
  FlushStatus();
  log_ << "message: " << text << '\n' << std::flush;
}

void ConsoleWindow::ColourPanel(int slot, PanelColour colour) {
  if (slot >= 1 && slot <= kPanels) panels_[slot] = colour;
}

void ConsoleWindow::SetCounter(CounterField field, std::string_view text) {
  counters_[static_cast<int>(field)] = std::string(text);
}

std::string ConsoleWindow::CounterText(CounterField field) {
  return counters_[static_cast<int>(field)];
}

void ConsoleWindow::PrintSummary(std::ostream& out) const {
  out << "Folder roboczy = " << WorkingFolder << '\n';
  out << "Liczniki:\n";
  for (int i = 0; i < kCounters; ++i) {
    out << "  " << kCounterNames[i] << " = " << counters_[i] << '\n';
  }
  out << "Panele:\n";
  for (int slot = 1; slot <= kPanels; ++slot) {
    out << "  Panel" << slot << ' ' << SlotFileName(slot) << ": " << ColourName(panels_[slot])
        << (WorkingFiles[slot].present ? "  " + WorkingFiles[slot].path : std::string()) << '\n';
  }
}
