#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "textio/Cp1250.h"

namespace fs = std::filesystem;

TestFolder::TestFolder() {
  std::string pattern = (fs::temp_directory_path() / "zornak-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TestFolder::~TestFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void TestFolder::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream(File(name), std::ios::binary) << bytes;
}

std::string TestFolder::Read(const std::string& name) const {
  std::ifstream in(File(name), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool TestFolder::Exists(const std::string& name) const {
  return fs::exists(File(name));
}

void TestFolder::Remove(const std::string& name) const {
  fs::remove(File(name));
}

void TestFolder::WriteAdjustmentPoints(const TPktDostosowania& points) const {
  ASSERT_TRUE(WriteTransPktBIN(File("TRANSPKT.BIN"), "test", 1, 2, points));
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
