// The window operations on a console: status texts and message boxes go to the error
// stream as they happen; counters and panel colours are kept and printed on request.
// Status texts are printed at most 25 times a second: a text superseded sooner is dropped,
// but the last one is always printed, and so is the one standing when a message comes.
#pragma once

#include <array>
#include <chrono>
#include <ostream>
#include <string>

#include "shell/WindowOperations.h"

class ConsoleWindow : public WindowOperations {
 public:
  ConsoleWindow(std::string kindText, std::string degreeText, std::ostream& log);

  std::string KindText() override { return kindText_; }
  std::string DegreeText() override { return degreeText_; }
  void ShowStatus(std::string_view text) override;
  void ShowMessage(std::string_view text) override;
  void ColourPanel(int slot, PanelColour colour) override;
  void SetCounter(CounterField field, std::string_view text) override;
  std::string CounterText(CounterField field) override;
  bool ConversionSwitch(int box) override { return box >= 1 && box <= 5; }

  // Prints a status text still waiting for its turn.
  void FlushStatus();
  // The counters, then every panel with its file and colour.
  void PrintSummary(std::ostream& out) const;

 private:
  static constexpr int kCounters = 11;
  static constexpr int kPanels = 23;

  std::string kindText_, degreeText_;
  std::string pendingStatus_;
  bool statusPending_ = false;
  std::chrono::steady_clock::time_point lastStatus_{};
  std::ostream& log_;
  std::array<std::string, kCounters> counters_;
  std::array<PanelColour, kPanels + 1> panels_{};
};
