// The window operations on a console: status texts and message boxes go to the error
// stream as they happen; message texts and counters are kept (the parcel index reads its
// unit back from its counter). Panels have nothing to show on a console.
// Status texts are printed at most 25 times a second: a text superseded sooner is dropped,
// but the last one is always printed, and so is the one standing when a message comes.
#pragma once

#include <array>
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "core/WindowOperations.h"
#include "core/WorkingFiles.h"

class ConsoleWindow : public WindowOperations {
 public:
  struct Message {
    MessageKind kind;
    std::string text;
  };

  // The model chosen as numbers: kind 1..2, degree 1..9; the selector texts follow from them.
  ConsoleWindow(int kind, int degree, std::ostream& log);

  std::string KindText() override { return kindText_; }
  std::string DegreeText() override { return degreeText_; }
  void ShowStatus(std::string_view text) override;
  void ShowMessage(MessageKind kind, std::string_view text) override;
  void ShowPanel(int, PanelState) override {}
  void SetCounter(Counter counter, std::string_view text) override;
  std::string CounterText(Counter counter) override;
  bool ConversionSwitch(MapFile) override { return true; }

  // Prints a status text still waiting for its turn.
  void FlushStatus();
  const std::vector<Message>& Messages() const { return messages_; }

 private:
  std::string kindText_, degreeText_;
  std::string pendingStatus_;
  bool statusPending_ = false;
  std::chrono::steady_clock::time_point lastStatus_{};
  std::ostream& log_;
  std::vector<Message> messages_;
  std::array<std::string, kCounterCount> counters_;
};
