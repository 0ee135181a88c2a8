// Names of files in the working folder. The program's names ("Dzialki.edz") come from a
// system whose file names ignore letter case, so a name finds an existing file whatever its
// case; a name with no such file stands for itself (that is where a new output goes).
#pragma once

#include <string>
#include <string_view>

namespace textio {

// The path of `name` in `folder`: an existing entry whose name equals `name` regardless of
// ASCII letter case (an exact match first), or else folder/name.
std::string PathInFolder(const std::string& folder, std::string_view name);

// True when `name` matches a regular file of `folder`, regardless of letter case.
bool FileExistsInFolder(const std::string& folder, std::string_view name);

}  // namespace textio
