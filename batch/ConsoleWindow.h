// The window operations on a console: status texts and message boxes go to the error
// stream as they happen; counters and panel colours are kept and printed on request.
#pragma once

#include <array>
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

  // The counters, then every panel with its file and colour.
  void PrintSummary(std::ostream& out) const;

 private:
  static constexpr int kCounters = 11;
  static constexpr int kPanels = 23;

  std::string kindText_, degreeText_;
  std::ostream& log_;
  std::array<std::string, kCounters> counters_;
  std::array<PanelColour, kPanels + 1> panels_{};
};
