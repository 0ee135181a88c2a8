#include "textio/TextFile.h"

#include <cstring>

namespace textio {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;
constexpr char kCtrlZ = '\x1A';

}  // namespace

bool TextFileReader::Open(const std::string& path) {
  file_.reset(std::fopen(path.c_str(), "rb"));
  buffer_.assign(kBlockSize, '\0');
  pos_ = end_ = 0;
  finished_ = !file_;
  return static_cast<bool>(file_);
}

bool TextFileReader::Refill() {
  if (finished_) return false;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
  pos_ = 0;
  if (end_ == 0) finished_ = true;
  return end_ > 0;
}

bool TextFileReader::AtEnd() {
  while (pos_ == end_) {
    if (!Refill()) return true;
  }
  if (buffer_[pos_] != kCtrlZ) return false;
  finished_ = true;
  end_ = pos_;
  return true;
}

bool TextFileReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEnd()) return false;
  for (;;) {
    if (pos_ == end_ && !Refill()) return true;
    const char* start = buffer_.data() + pos_;
    std::size_t n = 0;
    while (pos_ + n < end_ && start[n] != '\n' && start[n] != kCtrlZ)
      ++n;
    line.append(start, n);
    pos_ += n;
    if (pos_ == end_) continue;
    if (buffer_[pos_] == kCtrlZ) {
      finished_ = true;
      end_ = pos_;
    } else {
      ++pos_;
    }
    break;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool TextFileWriter::Create(const std::string& path) {
  file_.reset(std::fopen(path.c_str(), "wb"));
  failed_ = !file_;
  buffer_.clear();
  buffer_.reserve(kBlockSize + 256);
  return !failed_;
}

void TextFileWriter::WriteLine(std::string_view cp1250) {
  if (!file_) return;
  buffer_.append(cp1250);
  buffer_.append("\r\n", 2);
  if (buffer_.size() >= kBlockSize) Flush();
}

bool TextFileWriter::Flush() {
  if (file_ && !buffer_.empty() &&
      std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size()) {
    failed_ = true;
  }
  buffer_.clear();
  return !failed_;
}

bool TextFileWriter::Close() {
  Flush();
  if (file_ && std::fclose(file_.release()) != 0) failed_ = true;
  return !failed_;
}

}  // namespace textio
