// Closing an output file, and telling the user when it could not be written: its name and
// the system's reason, in a message box. The run then goes on with its next step.
#pragma once

#include "core/RunEvents.h"
#include "textio/TextFile.h"

inline bool CloseOrReport(textio::TextFileWriter& file, RunEvents& events) {
  if (file.Close()) return true;
  events.ShowMessage(MessageKind::WriteFailure, "Błąd zapisu pliku " + file.FailureText());
  return false;
}
