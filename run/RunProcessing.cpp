#include "run/RunProcessing.h"

#include <algorithm>
#include <cstdlib>

#include "convert/MapPositions.h"
#include "run/GeoPackageLoader.h"
#include "textio/TextFile.h"

int ThreadsFromEnvironment() {
  const char* text = std::getenv("ZORNAK_THREADS");
  return text ? std::max(0, std::atoi(text)) : 0;
}

bool GeoPackageAvailable() {
  return !GeoPackagePluginPath().empty();
}

namespace {

// True when the user declined the conversion before the maps (or the front end's rule did).
bool DeclinedBeforeTheMaps(RunState& state, const TransformationResult& t,
                           WindowOperations& window) {
  // The job's limits not met: a strict front end converts nothing, as for suspect points.
  if (t.FittedTransformation.Usable() && !AllMet(t.limitChecks) &&
      !state.convertWithSuspectPoints && AnyMapFileSelected(state.files, window)) {
    window.ShowMessage(
        MessageKind::LimitsNotMet,
        " *** Limity dokładności niespełnione - pliki mapy nie zostały przekształcone");
    return true;
  }
  // Suspect points matter before the maps only when there is a map to convert.
  if (!t.FittedTransformation.Usable() || !HasSuspectPoints(t) ||
      !AnyMapFileSelected(state.files, window)) {
    return false;
  }
  if (!state.convertWithSuspectPoints) {
    window.ShowMessage(MessageKind::SuspectPoints,
                       " *** Punkty podejrzane - pliki mapy nie zostały przekształcone");
    return true;
  }
  return !window.ConvertDespiteSuspectPoints(SuspectQuestion(t));
}

}  // namespace

bool RunProcessing(RunState& state, WindowOperations& window) {
  const std::string& folder = state.files.WorkingFolder;
  auto result = std::make_shared<RunResult>();
  result->folder = folder;
  result->threads = state.threads;
  result->transformation = NoRunResult()->transformation;
  std::string reason;
  result->started = textio::CanCreateFileIn(folder, reason);
  if (!result->started) {
    result->files = state.files;
    state.result = result;
    window.ShowMessage(MessageKind::FolderNotWritable,
                       "Nie można zapisywać w folderze roboczym " + folder + ": " + reason);
    return false;
  }
  textio::RemoveStaleTemporaries(folder);
  if (state.modelFromSelectors) {
    TakeModelChoice(window.KindText(), window.DegreeText(), state.model);
  }
  state.model.ReportDecimals = 4;
  window.ShowStatus(" obliczenia są wykonywane - proszę czekać");
  state.transformation.threads = state.threads;
  state.conversion.work.threads = state.threads;
  // The map positions the whole correction must reproduce: those of the files to convert.
  std::vector<std::pair<long double, long double>> tinPositions;
  if (state.fullPipeline) {
    std::array<bool, kMapFileCount> which{};
    for (int k = 0; k < kMapFileCount; ++k) {
      const MapFile file = static_cast<MapFile>(k);
      which[k] = state.files.SlotFileExists(SlotsOf(file).input) && window.ConversionSwitch(file);
    }
    tinPositions = InputMapPositions(state.files, which);
    state.transformation.tinPositions = &tinPositions;
  }
  if (state.jointFit) {
    state.transformation.result = state.jointFit;
  } else if (state.jointInput) {
    RunTransformation(state.model, state.jointInput, folder, window, state.transformation);
  } else {
    RunTransformation(state.model, folder, window, state.transformation);
  }
  state.transformation.tinPositions = nullptr;
  result->transformation = state.transformation.result;
  result->runExcluded = result->transformation->exclusions.numbers;
  const TransformationResult& t = *result->transformation;
  window.ShowStatus(" sprawdzono zbiory punktów dostosowania");
  state.files.RefreshPresence(window);
  const bool declined = DeclinedBeforeTheMaps(state, t, window);
  if (declined) {
    state.conversion.results.fill(TaskResult{});
  } else {
    ConvertMapFiles(state.files, t.FittedTransformation, window, state.conversion);
  }
  result->conversion = state.conversion.results;
  // The export reads the converted files of this run only: without a usable fit, or when
  // the conversion was declined, there are none to export.
  if (state.exportGeoPackage && t.FittedTransformation.Usable() && !declined) {
    result->geoPackageWritten = ExportGeoPackageThroughPlugin(state.files, t, window).written;
    if (result->geoPackageWritten) window.ShowPanel(slot::kGeoPackage, PanelState::Output);
  }
  result->files = state.files;
  state.result = result;
  FinishConversion(window);
  window.ShowStatus(" przetwarzanie zakończone");
  return true;
}

std::shared_ptr<const RunResult> RefitResult(const RunResult& base,
                                             const std::vector<PointNumber>& excluded,
                                             double comparisonBudget, TransformationWork& work) {
  auto refit = std::make_shared<RunResult>(base);
  const TransformationResult& t = base.Transformation();
  refit->transformation = ComputeTransformation(
      t.choice, t.input, &excluded, {base.threads, comparisonBudget, false, t.limits}, work);
  std::vector<PointNumber> now = excluded, run = base.runExcluded;
  std::sort(now.begin(), now.end());
  std::sort(run.begin(), run.end());
  refit->refitted = now != run;
  return refit;
}
