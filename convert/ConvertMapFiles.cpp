#include "convert/ConvertMapFiles.h"

#include "core/WriteFailure.h"

namespace {

// The tasks in the order of a run, one per map file.
constexpr std::array<MapFileTask, kMapFileCount> kTasks = {
    ConvertParcels, ConvertContours, ConvertPoints, ConvertLayers, ConvertObjects};

}  // namespace

MapFileSet SelectedMapFiles(const WorkingFileTable& files, const MapFileSet& asked) {
  MapFileSet selected{};
  for (int k = 0; k < kMapFileCount; ++k) {
    selected[k] = asked[k] && files.SlotFileExists(SlotsOf(static_cast<MapFile>(k)).input);
  }
  return selected;
}

bool AnySelected(const MapFileSet& selected) {
  for (bool s : selected) {
    if (s) return true;
  }
  return false;
}

void FinishOutput(TaskContext& context, textio::TextFileWriter& file, int slot,
                  TaskResult& result) {
  if (CloseOrReport(file, context.events)) {
    context.events.ShowPanel(slot, PanelState::Output);
  } else {
    result.writeFailed = true;
  }
}

void ClearCounters(TaskContext& context, std::initializer_list<Counter> counters) {
  for (Counter c : counters)
    context.events.SetCounter(c, "");
}

void ConvertMapFiles(const WorkingFileTable& files, const MapFileSet& selected,
                     const TFittedTransformation& transformation, RunEvents& events,
                     ConversionState& state) {
  const bool any = AnySelected(selected);
  state.results.fill(TaskResult{});
  if (!transformation.Usable()) {
    // Coordinates from no fit, from a damaged TRANSPKT.BIN or from an earlier run's fit
    // must not overwrite the user's converted files: nothing is created or changed.
    if (any) {
      events.ShowMessage(MessageKind::NoTransformation,
                         " *** Brak transformacji - pliki mapy nie zostały przekształcone");
    }
    return;
  }
  TaskContext context{files, transformation, state.tables, events, state.work};
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

void FinishConversion(RunEvents& events) {
  events.ShowStatus(" Zadania wykonano");
  events.ShowMessage(MessageKind::Closing, " Koniec obliczeń - ZORNAK_EDZ");
}
