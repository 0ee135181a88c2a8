#include "batch/ConsoleWindow.h"

#include "textio/Cp1250.h"

namespace {

constexpr std::chrono::milliseconds kStatusInterval(40);

}  // namespace

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

void ConsoleWindow::ShowMessage(MessageKind, std::string_view text) {
  FlushStatus();
  // A damaged map file's control bytes never reach the terminal as they are.
  log_ << "message: " << textio::Printable(text) << '\n' << std::flush;
}
