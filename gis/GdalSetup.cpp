#include "gis/GdalSetup.h"

#include <gdal_priv.h>
#include <ogr_srs_api.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>

#include "textio/Platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// The folder of this plugin's own DLL.
std::filesystem::path PluginFolder() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&PluginFolder), &module);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

void UseDataBesideThePlugin() {
  const std::filesystem::path share = PluginFolder() / "share";
  if (!std::getenv("GDAL_DATA")) {
    CPLSetConfigOption("GDAL_DATA", textio::Utf8FromPath(share / "gdal").c_str());
  }
  if (!std::getenv("PROJ_DATA") && !std::getenv("PROJ_LIB")) {
    const std::string proj = textio::Utf8FromPath(share / "proj");
    const char* const paths[] = {proj.c_str(), nullptr};
    OSRSetPROJSearchPaths(paths);
  }
}
#endif

}  // namespace

void PrepareGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
#ifdef _WIN32
    UseDataBesideThePlugin();
#endif
    GDALAllRegister();
  });
}
