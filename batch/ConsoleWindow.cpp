#include "batch/ConsoleWindow.h"

#include "textio/Cp1250.h"

#include <algorithm>

#include "core/ModelChoice.h"

namespace {

constexpr std::chrono::milliseconds kStatusInterval(40);

}  // namespace

ConsoleWindow::ConsoleWindow(int kind, int degree, std::ostream& log)
    : kindText_(kKindItems[std::clamp(kind, 1, 2) - 1]),
      degreeText_(kDegreeItems[std::clamp(degree, 1, 9) - 1]),
      log_(log) {}

void ConsoleWindow::ShowStatus(std::string_view text) {
  pendingStatus_.assign(text);
  statusPending_ = true;
  if (std::chrono::steady_clock::now() - lastStatus_ >= kStatusInterval) FlushStatus();
}

void ConsoleWindow::FlushStatus() {
  if (!statusPending_) return;
  // Written out only when shown: a pass sets a status for every record.
  log_ << "status:" << textio::Printable(pendingStatus_) << '\n' << std::flush;
  statusPending_ = false;
  lastStatus_ = std::chrono::steady_clock::now();
}

void ConsoleWindow::ShowMessage(MessageKind kind, std::string_view text) {
  FlushStatus();
  // A damaged map file's control bytes reach neither the terminal nor the JSON as they are.
  std::string shown = textio::Printable(text);
  log_ << "message: " << shown << '\n' << std::flush;
  messages_.push_back({kind, std::move(shown)});
}

void ConsoleWindow::SetCounter(Counter counter, std::string_view text) {
  counters_[static_cast<int>(counter)] = std::string(text);
}

std::string ConsoleWindow::CounterText(Counter counter) {
  return counters_[static_cast<int>(counter)];
}
