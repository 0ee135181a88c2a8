#include "run/ReportLoader.h"

#include "picture/ReportInput.h"
#include "run/PluginLoader.h"

bool PdfReportAvailable() {
  return !PluginPath(kReportPluginFile).empty();
}

ReportInput ReportInputOf(const RunState& state, const std::string& executor,
                          const std::string& note) {
  return ReportInput{state.files,
                     state.model,
                     state.transformation,
                     state.conversion,
                     state.runFolder == state.files.WorkingFolder,
                     state.started,
                     state.geoPackageWritten,
                     state.threads,
                     executor,
                     note};
}

bool WritePdfReportThroughPlugin(const RunState& state, const std::string& executor,
                                 const std::string& path, std::string& error) {
  std::string failure;
  const auto entry =
      reinterpret_cast<PdfReportEntry>(PluginEntry(kReportPluginFile, kReportPluginEntry, failure));
  if (!entry) {
    error = "Raport PDF niedostępny (" + failure + "): nie zapisano " + path;
    return false;
  }
  return entry(ReportInputOf(state, executor), path, error);
}
