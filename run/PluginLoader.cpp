#include "run/PluginLoader.h"

#include <filesystem>
#include <map>
#include <mutex>

#include "textio/Platform.h"

namespace {

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(textio::PathFromUtf8(path), error);
}

struct LoadedEntry {
  void* entry = nullptr;
  std::string failure;
};

}  // namespace

std::string PluginPath(const char* file) {
  const std::string folder = textio::ProgramFolder();
  if (folder.empty()) return {};
  for (const std::string& candidate :
       {folder + "/" + file, folder + "/../" ZORNAK_LIBRARY_DIR "/" + std::string(file)}) {
    if (IsFile(candidate)) return candidate;
  }
  return {};
}

void* PluginEntry(const char* file, const char* entry, std::string& failure) {
  static std::mutex loading;
  static std::map<std::string, LoadedEntry> loaded;
  std::lock_guard<std::mutex> lock(loading);
  const std::string key = std::string(file) + ":" + entry;
  auto found = loaded.find(key);
  if (found == loaded.end()) {
    LoadedEntry result;
    const std::string path = PluginPath(file);
    const textio::LoadedLibrary library =
        path.empty() ? textio::LoadedLibrary{nullptr, "brak pliku " + std::string(file)}
                     : textio::LoadLibraryFile(path);
    result.entry = textio::LibraryFunction(library, entry);
    if (!result.entry) result.failure = library.failure.empty() ? "brak funkcji" : library.failure;
    found = loaded.emplace(key, result).first;
  }
  failure = found->second.failure;
  return found->second.entry;
}
