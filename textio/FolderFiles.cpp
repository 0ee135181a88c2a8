#include "textio/FolderFiles.h"

#include <filesystem>
#include <system_error>

namespace textio {
namespace {

namespace fs = std::filesystem;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string PathInFolder(const std::string& folder, std::string_view name) {
  const fs::path exact = fs::path(folder) / fs::path(std::string(name));
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact.string();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (SameIgnoringCase(entry, name)) return it->path().string();
  }
  return exact.string();
}

bool FileExistsInFolder(const std::string& folder, std::string_view name) {
  std::error_code ec;
  return fs::is_regular_file(PathInFolder(folder, name), ec);
}

}  // namespace textio
