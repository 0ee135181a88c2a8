#include "textio/Platform.h"

#include <cstdio>

#include <cerrno>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// after windows.h, which it needs
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace textio {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(reinterpret_cast<const char*>(utf8.data()), utf8.size());
}

#ifdef _WIN32

namespace {

// Windows' error of the last call as the errno value that words it alike.
int ErrnoOfLastError() {
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
  }
  return EIO;
}

std::wstring Wide(const std::string& utf8) {
  return PathFromUtf8(utf8).wstring();
}

std::string Utf8(const wchar_t* wide) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();  // the terminating zero
  return utf8;
}

}  // namespace

std::FILE* OpenStream(const std::string& path, const char* mode) {
  const std::string narrowMode(mode);
  return ::_wfopen(Wide(path).c_str(), std::wstring(narrowMode.begin(), narrowMode.end()).c_str());
}

int CreateNewFile(const std::string& path) {
  return ::_wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  constexpr std::size_t kLargestWrite = 1u << 30;
  while (size > 0) {
    const unsigned part = static_cast<unsigned>(size < kLargestWrite ? size : kLargestWrite);
    const int n = ::_write(fd, data, part);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFile(int fd) {
  return ::_commit(fd) == 0;
}

bool CloseFile(int fd) {
  return ::_close(fd) == 0;
}

bool SyncFileByName(const std::string& path) {
  const int fd = ::_wopen(Wide(path).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return false;
  const bool synced = SyncFile(fd);
  return CloseFile(fd) && synced;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  const std::wstring target = Wide(to);
  if (::MoveFileExW(Wide(from).c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = ErrnoOfLastError();
  // A folder under the name is refused as "access denied"; say what Linux says.
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    errno = EISDIR;
  return false;
}

void RemoveFile(const std::string& path) {
  ::_wunlink(Wide(path).c_str());
}

void SyncFolder(const std::string&) {}

long ProcessNumber() {
  return static_cast<long>(::GetCurrentProcessId());
}

bool ProcessRuns(long pid) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD status = 0;
  const bool running = !::GetExitCodeProcess(process, &status) || status == STILL_ACTIVE;
  ::CloseHandle(process);
  return running;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (!wide || count != argc) {
    // Not this process's own command line (a caller's argv): take the bytes as they are.
    if (wide) ::LocalFree(wide);
    arguments.assign(argv, argv + argc);
    return arguments;
  }
  for (int i = 0; i < count; ++i)
    arguments.push_back(Utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void PrepareConsole() {
  ::SetConsoleOutputCP(CP_UTF8);
}

void UseParentConsole() {
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!std::freopen("CONOUT$", "w", stdout) || !std::freopen("CONOUT$", "w", stderr)) return;
  PrepareConsole();
}

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(2 * path.size());
  }
  return Utf8FromPath(std::filesystem::path(path).parent_path());
}

LoadedLibrary LoadLibraryFile(const std::string& path) {
  LoadedLibrary library;
  library.handle = reinterpret_cast<void*>(LoadLibraryW(PathFromUtf8(path).c_str()));
  if (!library.handle) library.failure = "błąd systemu " + std::to_string(GetLastError());
  return library;
}

void* LibraryFunction(const LoadedLibrary& library, const char* name) {
  if (!library.handle) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library.handle), name));
}

#else

std::FILE* OpenStream(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

int CreateNewFile(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFile(int fd) {
  return ::fsync(fd) == 0;
}

bool CloseFile(int fd) {
  return ::close(fd) == 0;
}

bool SyncFileByName(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = SyncFile(fd);
  return CloseFile(fd) && synced;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

// Some file systems refuse to sync a folder; the rename is then as durable as they make it.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

long ProcessNumber() {
  return static_cast<long>(::getpid());
}

bool ProcessRuns(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void PrepareConsole() {}

void UseParentConsole() {}

std::string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : Utf8FromPath(exe.parent_path());
}

LoadedLibrary LoadLibraryFile(const std::string& path) {
  LoadedLibrary library;
  library.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library.handle) {
    const char* why = ::dlerror();
    library.failure = why ? why : "dlopen";
  }
  return library;
}

void* LibraryFunction(const LoadedLibrary& library, const char* name) {
  return library.handle ? ::dlsym(library.handle, name) : nullptr;
}

#endif

}  // namespace textio
