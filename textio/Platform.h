// What the program asks of the operating system, in one place, for Linux and Windows.
// Paths are UTF-8 everywhere in the program; on Windows they reach the file system through
// the wide-character API, never the narrow one of the active code page. Failures leave a
// reason in errno (SystemReason words it), Windows' own error codes translated.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace textio {

// A UTF-8 path as the file system library's path, and back.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// fopen by a UTF-8 path; `mode` as fopen's ("rb", "wb").
std::FILE* OpenStream(const std::string& path, const char* mode);

// A new file for writing only, failing when the name exists: a descriptor, or -1.
int CreateNewFile(const std::string& path);
// Writes all of `data`; false at the first failure.
bool WriteAll(int fd, const char* data, std::size_t size);
// The file's contents to the disk (its own metadata with it).
bool SyncFile(int fd);
bool CloseFile(int fd);
// Syncs an existing file by name (a file another library wrote and closed).
bool SyncFileByName(const std::string& path);
// Renames `from` to `to`, replacing a file of that name in one step.
bool RenameReplacing(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
// Makes renames in `folder` durable where the system allows it (a no-op on Windows,
// whose file systems journal their metadata).
void SyncFolder(const std::string& folder);

long ProcessNumber();
// False only when no process with that number runs (one that cannot be asked counts as
// running).
bool ProcessRuns(long pid);

// The command line as UTF-8 strings, program name first: on Windows read in wide
// characters, so names with Polish letters arrive whatever the active code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
// Lets the console show the program's UTF-8 texts (Windows); nothing elsewhere.
void PrepareConsole();
// A program without a console of its own (the Windows desktop program) writes its standard
// output to the console it was started from, if any; elsewhere standard output is there.
void UseParentConsole();

// The folder that holds the running program file, UTF-8; empty when the system does not say.
std::string ProgramFolder();

// A shared library loaded at run time, for parts whose dependencies should cost nothing
// until they are used. The library stays loaded for the process's life.
struct LoadedLibrary {
  void* handle = nullptr;
  std::string failure;  // the system's word when handle is null
};
LoadedLibrary LoadLibraryFile(const std::string& path);
// The address of an exported function, or null.
void* LibraryFunction(const LoadedLibrary& library, const char* name);

}  // namespace textio

// The one exported function of a plugin library, found by LibraryFunction under its plain C
// name; everything else of the plugin stays hidden.
#if defined(_WIN32)
#define ZORNAK_PLUGIN_ENTRY extern "C" __declspec(dllexport)
#else
#define ZORNAK_PLUGIN_ENTRY extern "C" __attribute__((visibility("default")))
#endif
