#include "textio/TextFile.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "textio/Cp1250.h"
#include "textio/Platform.h"
#include "textio/SystemReason.h"

namespace textio {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;
constexpr char kCtrlZ = '\x1A';

}  // namespace

bool TextFileReader::Open(const std::string& path) {
  file_.reset(OpenStream(path, "rb"));
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

namespace {

void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  SyncFolder(slash == std::string::npos ? "." : path.substr(0, slash + 1));
}

}  // namespace

TextFileWriter::~TextFileWriter() {
  Abandon();
}

void TextFileWriter::Fail() {
  if (!failed_) failure_ = path_ + ": " + SystemReason(errno);
  failed_ = true;
}

void TextFileWriter::Abandon() {
  if (fd_ >= 0) CloseFile(fd_);
  fd_ = -1;
  if (!temporary_.empty()) RemoveFile(temporary_);
  temporary_.clear();
}

bool TextFileWriter::Create(const std::string& path) {
  Abandon();
  // Temporary names are unique within the process whichever writer or thread asks; the
  // count is a name source, not state of any run.
  static std::atomic<unsigned> count{0};
  path_ = path;
  temporary_ =
      path + kTemporaryMark + std::to_string(ProcessNumber()) + "-" + std::to_string(count++);
  failed_ = false;
  failure_.clear();
  buffer_.clear();
  buffer_.reserve(kBlockSize + 256);
  fd_ = CreateNewFile(temporary_);
  if (fd_ < 0) {
    Fail();
    temporary_.clear();
  }
  return !failed_;
}

void TextFileWriter::WriteLine(std::string_view cp1250) {
  if (fd_ < 0) return;
  buffer_.append(cp1250);
  buffer_.append("\r\n", 2);
  if (buffer_.size() >= kBlockSize) Flush();
}

void TextFileWriter::WriteUtf8Line(std::string_view utf8) {
  WriteLine(Utf8ToCp1250(utf8));
}

void TextFileWriter::WriteBytes(std::string_view bytes) {
  if (fd_ < 0) return;
  buffer_.append(bytes);
  if (buffer_.size() >= kBlockSize) Flush();
}

bool TextFileWriter::Flush() {
  if (fd_ >= 0 && !failed_ && !WriteAll(fd_, buffer_.data(), buffer_.size())) Fail();
  buffer_.clear();
  return !failed_;
}

bool TextFileWriter::Close() {
  if (fd_ < 0) {
    if (!failed_ && path_.empty()) failed_ = true;
    Abandon();
    return !failed_;
  }
  // The contents reach the disk before the rename and the rename before Close returns, so
  // a power failure leaves the old file or the new one under the name, never an empty one.
  Flush();
  if (!failed_ && !SyncFile(fd_)) Fail();
  if (!CloseFile(fd_)) Fail();
  fd_ = -1;
  if (!failed_ && !RenameReplacing(temporary_, path_)) Fail();
  if (failed_) RemoveFile(temporary_);
  if (!failed_) SyncFolderOf(path_);
  temporary_.clear();
  return !failed_;
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  TextFileReader in;
  if (!in.Open(path)) return false;
  std::string line;
  while (in.ReadLine(line))
    lines.push_back(line);
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& failure) {
  TextFileWriter out;
  out.Create(path);
  out.WriteBytes(bytes);
  if (out.Close()) return true;
  failure = out.FailureText();
  return false;
}

bool CanCreateFileIn(const std::string& folder, std::string& reason) {
  const std::string probe =
      folder + "/" + kTemporaryMark + std::to_string(ProcessNumber()) + "-probe";
  const int fd = CreateNewFile(probe);
  if (fd < 0) {
    reason = SystemReason(errno);
    return false;
  }
  CloseFile(fd);
  RemoveFile(probe);
  return true;
}

void RemoveStaleTemporaries(const std::string& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(PathFromUtf8(folder), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = Utf8FromPath(it->path().filename());
    const std::size_t mark = name.find(kTemporaryMark);
    if (mark == std::string::npos) continue;
    const long pid = std::strtol(name.c_str() + mark + std::strlen(kTemporaryMark), nullptr, 10);
    if (pid > 0 && ProcessRuns(pid)) continue;
    std::filesystem::remove(it->path(), ec);
  }
}

}  // namespace textio
