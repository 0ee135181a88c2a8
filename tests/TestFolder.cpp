#include "tests/TestFolder.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "textio/Cp1250.h"
#include "textio/Platform.h"

namespace fs = std::filesystem;

// Every working folder of the tests has Polish letters and a blank in its name, as the
// users' folders do, so every test goes through the paths' UTF-8 and wide forms.
TestFolder::TestFolder() {
  static int count = 0;
  const std::string name = "zornak test Łódź " + std::to_string(textio::ProcessNumber()) + "-";
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const fs::path folder =
        fs::temp_directory_path() / textio::PathFromUtf8(name + std::to_string(count++));
    std::error_code ec;
    if (fs::create_directory(folder, ec)) {
      path_ = textio::Utf8FromPath(folder);
      return;
    }
  }
  throw std::runtime_error("no test folder could be created");
}

TestFolder::~TestFolder() {
  std::error_code ec;
  fs::remove_all(textio::PathFromUtf8(path_), ec);
}

std::string TestFolder::File(const std::string& name) const {
  return path_ + static_cast<char>(fs::path::preferred_separator) + name;
}

fs::path TestFolder::Native() const {
  return textio::PathFromUtf8(path_);
}

fs::path TestFolder::Native(const std::string& name) const {
  return textio::PathFromUtf8(File(name));
}

void TestFolder::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream(Native(name), std::ios::binary) << bytes;
}

std::string TestFolder::Read(const std::string& name) const {
  return ReadFile(File(name));
}

bool TestFolder::Exists(const std::string& name) const {
  return fs::exists(Native(name));
}

void TestFolder::Remove(const std::string& name) const {
  fs::remove(Native(name));
}

std::vector<std::string> TestFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Native()))
    names.push_back(textio::Utf8FromPath(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

void TestFolder::KeepOnly(const std::vector<std::string>& keep) const {
  for (const std::string& name : Names()) {
    if (std::find(keep.begin(), keep.end(), name) == keep.end()) Remove(name);
  }
}

void TestFolder::WriteAdjustmentPoints(const TPktDostosowania& points) const {
  ASSERT_TRUE(WriteTransPktBIN(File("TRANSPKT.BIN"), "test", 1, 2, points));
}

void TestFolder::CopyDemo() const {
  for (const auto& entry : fs::directory_iterator(ZORNAK_DEMO_FOLDER))
    fs::copy_file(entry.path(), Native() / entry.path().filename());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(textio::PathFromUtf8(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

void ClearEnvironment(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}

std::vector<std::string> Utf8Lines(const std::string& cp1250) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < cp1250.size()) {
    std::size_t end = cp1250.find("\r\n", start);
    if (end == std::string::npos) end = cp1250.size();
    lines.push_back(textio::Cp1250ToUtf8(cp1250.substr(start, end - start)));
    start = end + 2;
  }
  return lines;
}
