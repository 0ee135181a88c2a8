#include "run/RunProcessing.h"

#include <algorithm>
#include <cstdlib>

#include "run/GeoPackageLoader.h"
#include "textio/TextFile.h"

int ThreadsFromEnvironment() {
  const char* text = std::getenv("ZORNAK_THREADS");
  return text ? std::max(0, std::atoi(text)) : 0;
}

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
  state.runFolder = folder;
  textio::RemoveStaleTemporaries(folder);
  if (state.modelFromSelectors) {
    TakeModelChoice(window.KindText(), window.DegreeText(), state.model);
  }
  state.model.ReportDecimals = 4;
  window.ShowStatus(" obliczenia są wykonywane - proszę czekać");
  state.transformation.threads = state.threads;
  state.conversion.work.threads = state.threads;
  RunTransformation(state.model, folder, window, state.transformation);
  window.ShowStatus(" sprawdzono zbiory punktów dostosowania");
  state.files.RefreshPresence(window);
  bool declined = false;
  // Suspect points matter before the maps only when there is a map to convert.
  if (state.transformation.FittedTransformation.Usable() &&
      HasSuspectPoints(state.transformation) && AnyMapFileSelected(state.files, window)) {
    if (!state.convertWithSuspectPoints) {
      window.ShowMessage(MessageKind::SuspectPoints,
                         " *** Punkty podejrzane - pliki mapy nie zostały przekształcone");
      declined = true;
    } else {
      declined = !window.ConvertDespiteSuspectPoints(SuspectQuestion(state.transformation));
    }
  }
  if (declined) {
    state.conversion.results.fill(TaskResult{});
  } else {
    ConvertMapFiles(state.files, state.transformation.FittedTransformation, window,
                    state.conversion);
  }
  state.geoPackageWritten = false;
  // The export reads the converted files of this run only: without a usable fit, or when
  // the conversion was declined, there are none to export.
  if (state.exportGeoPackage && state.transformation.FittedTransformation.Usable() && !declined) {
    state.geoPackageWritten =
        ExportGeoPackageThroughPlugin(state.files, state.transformation, window).written;
    if (state.geoPackageWritten) window.ShowPanel(slot::kGeoPackage, PanelState::Output);
  }
  FinishConversion(window);
  window.ShowStatus(" przetwarzanie zakończone");
  return true;
}
