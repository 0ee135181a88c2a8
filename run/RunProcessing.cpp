#include "run/RunProcessing.h"

#include <algorithm>
#include <cstdlib>

#include "convert/MapPositions.h"
#include "run/GeoPackageLoader.h"
#include "run/StaleOutputs.h"
#include "textio/FolderFiles.h"
#include "textio/Platform.h"
#include "textio/TextFile.h"

int ThreadsFromEnvironment() {
  const char* text = std::getenv("ZORNAK_THREADS");
  return text ? std::max(0, std::atoi(text)) : 0;
}

bool GeoPackageAvailable() {
  return !GeoPackagePluginPath().empty();
}

namespace {

// The front end's sink, with every message also kept for the run's result.
class KeptMessages final : public RunEvents {
 public:
  KeptMessages(RunEvents& shown, std::vector<RunMessage>& kept) : shown_(shown), kept_(kept) {}

  void ShowStatus(std::string_view text) override { shown_.ShowStatus(text); }
  void ShowMessage(MessageKind kind, std::string_view text) override {
    kept_.push_back({kind, std::string(text)});
    shown_.ShowMessage(kind, text);
  }
  void ShowPanel(int slot, PanelState state) override { shown_.ShowPanel(slot, state); }
  void SetCounter(Counter counter, std::string_view text) override {
    shown_.SetCounter(counter, text);
  }

 private:
  RunEvents& shown_;
  std::vector<RunMessage>& kept_;
};

// True when the user declined the conversion before the maps (or the request's rule did).
bool DeclinedBeforeTheMaps(const RunRequest& request, const TransformationResult& t,
                           bool anyMapFile, RunEvents& events) {
  // The job's limits not met: a strict request converts nothing, as for suspect points.
  if (t.FittedTransformation.Usable() && !AllMet(t.limitChecks) &&
      !request.convertWithSuspectPoints && anyMapFile) {
    events.ShowMessage(
        MessageKind::LimitsNotMet,
        " *** Limity dokładności niespełnione - pliki mapy nie zostały przekształcone");
    return true;
  }
  // Suspect points matter before the maps only when there is a map to convert.
  if (!t.FittedTransformation.Usable() || !HasSuspectPoints(t) || !anyMapFile) return false;
  if (!request.convertWithSuspectPoints) {
    events.ShowMessage(MessageKind::SuspectPoints,
                       " *** Punkty podejrzane - pliki mapy nie zostały przekształcone");
    return true;
  }
  return request.confirmSuspectConversion && !request.confirmSuspectConversion(SuspectQuestion(t));
}

// Korekta.json and Transformacja_pelna.proj describe the fit they were made with: after a
// run with a fit that wrote no pair of its own, an earlier pair would be taken for this
// run's, so it goes. Returns the paths removed.
std::vector<std::string> RemoveEarlierFullPipeline(const std::string& folder) {
  std::vector<std::string> removed;
  for (const char* name : {kCorrectionTinFileName, kFullPipelineFileName}) {
    if (!textio::FileExistsInFolder(folder, name)) continue;
    const std::string path = textio::PathInFolder(folder, name);
    textio::RemoveFile(path);
    if (!textio::FileExistsInFolder(folder, name)) removed.push_back(path);
  }
  return removed;
}

void Transform(RunState& state, const RunRequest& request, const MapFileSet& selected,
               RunEvents& events) {
  const std::string& folder = state.files.WorkingFolder;
  state.transformation.threads = state.threads;
  state.transformation.limits = {request.limitM0, request.limitResidual};
  // The map positions the whole correction must reproduce: those of the files to convert.
  std::vector<std::pair<long double, long double>> tinPositions;
  if (request.fullPipeline) {
    tinPositions = InputMapPositions(state.files, selected);
    state.transformation.tinPositions = &tinPositions;
  }
  if (state.jointFit) {
    state.transformation.result = state.jointFit;
  } else if (state.jointInput) {
    RunTransformation(request.model, state.jointInput, folder, events, state.transformation);
  } else {
    RunTransformation(request.model, folder, events, state.transformation);
  }
  state.transformation.tinPositions = nullptr;
}

}  // namespace

std::shared_ptr<const RunResult> RunProcessing(RunState& state, const RunRequest& runRequest,
                                               RunEvents& shown) {
  const std::string& folder = state.files.WorkingFolder;
  auto result = std::make_shared<RunResult>();
  KeptMessages events(shown, result->messages);
  RunRequest request = runRequest;
  request.model.ReportDecimals = 4;
  result->folder = folder;
  result->threads = state.threads;
  result->model = request.model;
  result->transformation = NoRunResult()->transformation;
  std::string reason;
  result->started = textio::CanCreateFileIn(folder, reason);
  if (!result->started) {
    result->files = state.files;
    state.result = result;
    events.ShowMessage(MessageKind::FolderNotWritable,
                       "Nie można zapisywać w folderze roboczym " + folder + ": " + reason);
    return result;
  }
  textio::RemoveStaleTemporaries(folder);
  events.ShowStatus(" obliczenia są wykonywane - proszę czekać");
  state.conversion.work.threads = state.threads;
  const MapFileSet selected = SelectedMapFiles(state.files, request.convert);
  Transform(state, request, selected, events);
  result->transformation = state.transformation.result;
  result->runExcluded = result->transformation->exclusions.numbers;
  const TransformationResult& t = *result->transformation;
  if (t.FittedTransformation.Usable() && !(request.fullPipeline && t.tin && !state.jointFit)) {
    result->removedOutputs = RemoveEarlierFullPipeline(folder);
  }
  events.ShowStatus(" sprawdzono zbiory punktów dostosowania");
  state.files.RefreshPresence(events);
  const bool declined = DeclinedBeforeTheMaps(request, t, AnySelected(selected), events);
  if (declined) {
    state.conversion.results.fill(TaskResult{});
  } else {
    ConvertMapFiles(state.files, selected, t.FittedTransformation, events, state.conversion);
  }
  result->conversion = state.conversion.results;
  const MapFileSet converted = result->ConvertedFiles();
  // The export takes the files this run converted, and no other.
  if (request.exportGeoPackage && t.FittedTransformation.Usable() && !declined) {
    result->geoPackageWritten =
        ExportGeoPackageThroughPlugin(state.files, converted, t, events).written;
    if (result->geoPackageWritten) events.ShowPanel(slot::kGeoPackage, PanelState::Output);
  }
  if (request.keepMapDrawing) {
    result->map = std::make_shared<const MapDrawing>(ReadMapDrawing(state.files, converted));
  }
  result->files = state.files;
  result->staleOutputs = StaleOutputs(*result);
  FinishConversion(events);
  events.ShowStatus(" przetwarzanie zakończone");
  state.result = result;
  return result;
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
