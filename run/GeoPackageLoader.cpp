#include "run/GeoPackageLoader.h"

#include "gis/GeoPackagePlugin.h"
#include "run/PluginLoader.h"

std::string GeoPackagePluginPath() {
  return PluginPath(kGeoPackagePluginFile);
}

GeoPackageSummary ExportGeoPackageThroughPlugin(const WorkingFileTable& files,
                                                const MapFileSet& converted,
                                                const TransformationResult& transformation,
                                                RunEvents& events) {
  std::string failure;
  const auto entry = reinterpret_cast<GeoPackageEntry>(
      PluginEntry(kGeoPackagePluginFile, kGeoPackagePluginEntry, failure));
  GeoPackageSummary summary;
  summary.path = files.SlotPath(slot::kGeoPackage);
  if (!entry) {
    events.ShowMessage(MessageKind::WriteFailure, "Eksport GeoPackage niedostępny (" + failure +
                                                      "): nie zapisano " + summary.path);
    return summary;
  }
  entry(files, converted, transformation, events, summary);
  return summary;
}

std::optional<std::string> GeoPackageFitStampThroughPlugin(const std::string& path) {
  std::string failure;
  const auto entry = reinterpret_cast<FitStampEntry>(
      PluginEntry(kGeoPackagePluginFile, kFitStampPluginEntry, failure));
  if (!entry) return std::nullopt;
  std::string stamp;
  entry(path, stamp);
  return stamp;
}

GisFileResult ConvertGisFileThroughPlugin(const GisJob& job,
                                          const TransformationResult& transformation) {
  std::string failure;
  const auto entry = reinterpret_cast<GisFileEntry>(
      PluginEntry(kGeoPackagePluginFile, kGisFilePluginEntry, failure));
  GisFileResult result;
  if (!entry) {
    result.input = job.input;
    result.error = "przeliczanie plików GIS niedostępne (" + failure + ")";
    result.writeFailure = true;
    return result;
  }
  entry(job, transformation, result);
  return result;
}
