#include "run/ReportLoader.h"

#include "picture/ReportInput.h"
#include "run/PluginLoader.h"

bool PdfReportAvailable() {
  return !PluginPath(kReportPluginFile).empty();
}

bool WritePdfReportThroughPlugin(const RunResult& run, const std::string& workingFolder,
                                 const std::string& executor, const std::string& path,
                                 std::string& error) {
  std::string failure;
  const auto entry =
      reinterpret_cast<PdfReportEntry>(PluginEntry(kReportPluginFile, kReportPluginEntry, failure));
  if (!entry) {
    error = "Raport PDF niedostępny (" + failure + "): nie zapisano " + path;
    return false;
  }
  return entry(ReportInput{run, workingFolder, executor}, path, error);
}
