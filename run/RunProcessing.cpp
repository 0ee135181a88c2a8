#include "run/RunProcessing.h"

#include "run/GeoPackageLoader.h"
#include "textio/TextFile.h"

bool GeoPackageAvailable() {
  return !GeoPackagePluginPath().empty();
}

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
  state.geoPackageWritten = false;
  // The export reads the converted files of this run only: without a usable fit there are
  // none to export.
  if (state.exportGeoPackage && state.transformation.FittedTransformation.Usable()) {
    state.geoPackageWritten =
        ExportGeoPackageThroughPlugin(state.files, state.transformation, window).written;
    if (state.geoPackageWritten) window.ShowPanel(slot::kGeoPackage, PanelState::Output);
  }
  FinishConversion(window);
  window.ShowStatus(" przetwarzanie zakończone");
  return true;
}
