#include "textio/TextFile.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "textio/SystemReason.h"

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

namespace {

// Makes a rename in the folder of `path` durable. A folder that cannot be synced (some file
// systems refuse) leaves the rename as durable as the system makes it.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
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
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool TextFileWriter::Create(const std::string& path) {
  Abandon();
  // Temporary names are unique within the process whichever writer or thread asks; the
  // count is a name source, not state of any run.
  static std::atomic<unsigned> count{0};
  path_ = path;
  temporary_ = path + kTemporaryMark + std::to_string(::getpid()) + "-" + std::to_string(count++);
  failed_ = false;
  failure_.clear();
  buffer_.clear();
  buffer_.reserve(kBlockSize + 256);
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

bool TextFileWriter::Flush() {
  for (std::size_t done = 0; fd_ >= 0 && done < buffer_.size();) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail();
      break;
    }
    done += static_cast<std::size_t>(n);
  }
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
  if (!failed_ && ::fsync(fd_) != 0) Fail();
  if (::close(fd_) != 0) Fail();
  fd_ = -1;
  if (!failed_ && std::rename(temporary_.c_str(), path_.c_str()) != 0) Fail();
  if (failed_) ::unlink(temporary_.c_str());
  if (!failed_) SyncFolderOf(path_);
  temporary_.clear();
  return !failed_;
}

bool CanCreateFileIn(const std::string& folder, std::string& reason) {
  const std::string probe = folder + "/" + kTemporaryMark + std::to_string(::getpid()) + "-probe";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    reason = SystemReason(errno);
    return false;
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

void RemoveStaleTemporaries(const std::string& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const std::size_t mark = name.find(kTemporaryMark);
    if (mark == std::string::npos) continue;
    const long pid = std::strtol(name.c_str() + mark + std::strlen(kTemporaryMark), nullptr, 10);
    if (pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)) continue;
    std::filesystem::remove(it->path(), ec);
  }
}

}  // namespace textio
