#include "run/GeoPackageLoader.h"

#include <mutex>

#include "gis/GeoPackagePlugin.h"
#include "textio/Platform.h"

namespace {

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(textio::PathFromUtf8(path), error);
}

}  // namespace

std::string GeoPackagePluginPath() {
  const std::string folder = textio::ProgramFolder();
  if (folder.empty()) return {};
  for (const std::string& candidate :
       {folder + "/" + kGeoPackagePluginFile,
        folder + "/../lib/zornak-edz/" + std::string(kGeoPackagePluginFile)}) {
    if (IsFile(candidate)) return candidate;
  }
  return {};
}

GeoPackageSummary ExportGeoPackageThroughPlugin(const WorkingFileTable& files,
                                                const TransformationState& transformation,
                                                WindowOperations& window) {
  static std::mutex loading;
  static GeoPackageEntry entry = nullptr;
  static std::string failure;
  {
    std::lock_guard<std::mutex> lock(loading);
    if (!entry && failure.empty()) {
      const std::string path = GeoPackagePluginPath();
      const textio::LoadedLibrary library =
          path.empty()
              ? textio::LoadedLibrary{nullptr, "brak pliku " + std::string(kGeoPackagePluginFile)}
              : textio::LoadLibraryFile(path);
      entry = reinterpret_cast<GeoPackageEntry>(
          textio::LibraryFunction(library, kGeoPackagePluginEntry));
      if (!entry) failure = library.failure.empty() ? "brak funkcji eksportu" : library.failure;
    }
  }
  GeoPackageSummary summary;
  summary.path = files.SlotPath(slot::kGeoPackage);
  if (!entry) {
    window.ShowMessage(MessageKind::WriteFailure, "Eksport GeoPackage niedostępny (" + failure +
                                                      "): nie zapisano " + summary.path);
    return summary;
  }
  entry(files, transformation, window, summary);
  return summary;
}
