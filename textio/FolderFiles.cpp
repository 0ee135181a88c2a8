#include "textio/FolderFiles.h"

#include <filesystem>
#include <system_error>

#include "textio/Platform.h"

namespace textio {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kCaseSensitiveNames = false;
#else
constexpr bool kCaseSensitiveNames = true;
#endif

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
  // The folder's own spelling of the name, found by listing it: on a file system that
  // ignores case itself (Windows) asking for the name would only echo the question, and the
  // paths the program shows would differ from the same run on Linux.
  const fs::path exact = PathFromUtf8(folder) / PathFromUtf8(name);
  std::error_code ec;
  if (kCaseSensitiveNames && fs::exists(exact, ec)) return Utf8FromPath(exact);
  std::string found;
  for (fs::directory_iterator it(PathFromUtf8(folder), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string entry = Utf8FromPath(it->path().filename());
    if (entry == name) return Utf8FromPath(it->path());
    if (found.empty() && SameIgnoringCase(entry, name)) found = Utf8FromPath(it->path());
  }
  return found.empty() ? Utf8FromPath(exact) : found;
}

bool FileExistsInFolder(const std::string& folder, std::string_view name) {
  std::error_code ec;
  return fs::is_regular_file(PathFromUtf8(PathInFolder(folder, name)), ec);
}

}  // namespace textio
