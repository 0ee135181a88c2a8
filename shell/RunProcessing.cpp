#include "shell/RunProcessing.h"

#include "textio/TextFile.h"

bool RunProcessing(RunState& state, WindowOperations& window) {
  const std::string& folder = state.files.WorkingFolder;
  std::string reason;
  state.started = textio::CanCreateFileIn(folder, reason);
  if (!state.started) {
    window.ShowMessage(MessageKind::FolderNotWritable,
                       "Nie można zapisywać w folderze roboczym " + folder + ": " + reason);
    return false;
  }
  textio::RemoveStaleTemporaries(folder);
  TakeModelChoice(window.KindText(), window.DegreeText(), state.model);
  state.model.ReportDecimals = 4;
  window.ShowStatus(" obliczenia są wykonywane - proszę czekać");
  RunTransformation(state.model, folder, window, state.transformation);
  window.ShowStatus(" sprawdzono zbiory punktów dostosowania");
  state.files.RefreshPresence(window);
  ConvertMapFiles(state.files, state.transformation.FittedTransformation, window, state.conversion);
  window.ShowStatus(" przetwarzanie zakończone");
  return true;
}
