#include "convert/ConvertMapFiles.h"

#include "core/WriteFailure.h"

namespace {

// The tasks in the order of a run, one per map file.
constexpr std::array<MapFileTask, kMapFileCount> kTasks = {
    ConvertParcels, ConvertContours, ConvertPoints, ConvertLayers, ConvertObjects};

bool Selected(const WorkingFileTable& files, WindowOperations& window, MapFile file) {
  return files.SlotFileExists(SlotsOf(file).input) && window.ConversionSwitch(file);
}

}  // namespace

bool AnyMapFileSelected(const WorkingFileTable& files, WindowOperations& window) {
  for (int k = 0; k < kMapFileCount; ++k) {
    if (Selected(files, window, static_cast<MapFile>(k))) return true;
  }
  return false;
}

void FinishOutput(TaskContext& context, textio::TextFileWriter& file, int slot,
                  TaskResult& result) {
  if (CloseOrReport(file, context.window)) {
    context.window.ShowPanel(slot, PanelState::Output);
  } else {
    result.writeFailed = true;
  }
}

void ClearCounters(TaskContext& context, std::initializer_list<Counter> counters) {
  for (Counter c : counters)
    context.window.SetCounter(c, "");
}

void ConvertMapFiles(const WorkingFileTable& files, const TFittedTransformation& transformation,
                     WindowOperations& window, ConversionState& state) {
  std::array<bool, kMapFileCount> selected{};
  bool any = false;
  for (int k = 0; k < kMapFileCount; ++k) {
    selected[k] = Selected(files, window, static_cast<MapFile>(k));
    any = any || selected[k];
  }
  state.results.fill(TaskResult{});
  if (!transformation.Usable()) {
    // Coordinates from no fit, from a damaged TRANSPKT.BIN or from an earlier run's fit
    // must not overwrite the user's converted files: nothing is created or changed.
    if (any) {
      window.ShowMessage(MessageKind::NoTransformation,
                         " *** Brak transformacji - pliki mapy nie zostały przekształcone");
    }
    return;
  }
  TaskContext context{files, transformation, state.tables, window, state.work};
  for (int k = 0; k < kMapFileCount; ++k) {
    if (!selected[k]) continue;
    state.results[k] = kTasks[k](context);
    state.results[k].ran = true;
    const MapFile file = static_cast<MapFile>(k);
    if (file == MapFile::Parcels || file == MapFile::Contours) {
      context.lastPassRecords = state.results[k].records;
    }
  }
}

void FinishConversion(WindowOperations& window) {
  window.ShowStatus(" Zadania wykonano");
  window.ShowMessage(MessageKind::Closing, " Koniec obliczeń - ZORNAK_EDZ");
}
