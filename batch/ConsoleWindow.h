// A run's events on a console: status texts and message boxes go to the error stream as
// they happen. Panels and counters have nothing to show on a console; the summary at the
// end reads the run's result.
// Status texts are printed at most 25 times a second: a text superseded sooner is dropped,
// but the last one is always printed, and so is the one standing when a message comes.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

#include "core/RunEvents.h"

class ConsoleWindow : public RunEvents {
 public:
  explicit ConsoleWindow(std::ostream& log) : log_(log) {}

  void ShowStatus(std::string_view text) override;
  void ShowMessage(MessageKind kind, std::string_view text) override;
  void ShowPanel(int, PanelState) override {}
  void SetCounter(Counter, std::string_view) override {}

  // Prints a status text still waiting for its turn.
  void FlushStatus();

 private:
  std::string pendingStatus_;
  bool statusPending_ = false;
  std::chrono::steady_clock::time_point lastStatus_{};
  std::ostream& log_;
};
