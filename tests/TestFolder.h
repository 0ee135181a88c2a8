// A fresh temporary working folder per test, removed afterwards; helpers to write and read
// its files byte for byte.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "transform/UPKTBIN.h"

class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  // UTF-8, as the program takes paths.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const;
  // The folder and its files as the file system library's paths.
  std::filesystem::path Native() const;
  std::filesystem::path Native(const std::string& name) const;
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void Remove(const std::string& name) const;
  // The names of the folder's files, sorted.
  std::vector<std::string> Names() const;
  // Removes every file not named in `keep`: a run that follows starts from the same folder,
  // so a file it fails to write cannot pass for an earlier run's.
  void KeepOnly(const std::vector<std::string>& keep) const;
  // TRANSPKT.BIN with these records.
  void WriteAdjustmentPoints(const TPktDostosowania& points) const;
  // Copies every file of the demo folder (examples/demo) into this one.
  void CopyDemo() const;

 private:
  std::string path_;
};

// The bytes of the file at a UTF-8 path; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Sets or clears an environment variable of the test process (ZORNAK_THREADS).
void SetEnvironment(const char* name, const char* value);
void ClearEnvironment(const char* name);

// Lines of a Windows-1250 file, without their CR LF, converted to UTF-8.
std::vector<std::string> Utf8Lines(const std::string& cp1250);
