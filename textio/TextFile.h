// Sequential text files as the program's mapping system writes them: Windows-1250 bytes,
// CR LF line ends. Reading also takes a bare LF as a line end and stops at Ctrl-Z; lines are
// handed over as raw bytes. Writing appends CR LF to every line.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace textio {

class TextFileReader {
 public:
  // False when the file cannot be opened; the reader then reads as an empty file.
  bool Open(const std::string& path);
  // The next line without its line end; false at the end of the file.
  bool ReadLine(std::string& line);
  // True once the file is exhausted (or was never opened).
  bool AtEnd();

 private:
  bool Refill();

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool finished_ = true;
};

// Writes a file so that its name only ever shows a complete file: the lines go to a
// temporary file beside it, which replaces the file by a rename when Close succeeds. A crash
// or kill before that leaves the previous file (or none) under the name; a failure (the
// folder cannot be written, the disk is full, a folder stands where the file should be)
// leaves it too, and FailureText says why.
class TextFileWriter {
 public:
  TextFileWriter() = default;
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;
  // A writer dropped without Close removes its temporary file.
  ~TextFileWriter();

  // Starts the file; false when its temporary file cannot be created (what is written is
  // then dropped, and Close fails).
  bool Create(const std::string& path);
  void WriteLine(std::string_view cp1250);
  // A line of the program's own text (UTF-8), converted to Windows-1250 as it is written.
  void WriteUtf8Line(std::string_view utf8);
  // Bytes as they are, no line end: a binary output written the same atomic way.
  void WriteBytes(std::string_view bytes);
  // Writes out, closes and renames the file into place; false when any step failed.
  bool Close();
  bool Failed() const { return failed_; }
  // "<path>: <system reason>" of the first failure.
  const std::string& FailureText() const { return failure_; }

 private:
  bool Flush();
  void Fail();
  void Abandon();

  std::string path_, temporary_;
  int fd_ = -1;
  std::string buffer_;  // lines wait here and go to the file in blocks
  bool failed_ = false;
  std::string failure_;
};

// The temporary files of writers killed before they finished carry this mark in their
// names (followed by the process number and a count).
inline constexpr const char* kTemporaryMark = ".zornak-tmp-";

// True when a new file can be created in `folder`; else `reason` is the system's reason.
// Leaves nothing behind.
bool CanCreateFileIn(const std::string& folder, std::string& reason);

// Every line of the text file at `path` (Windows-1250, line ends removed) into `lines`;
// false, with `lines` empty, when the file cannot be opened.
bool ReadLines(const std::string& path, std::vector<std::string>& lines);

// Writes `bytes` as the file at `path` atomically (beside it, then renamed into place); false
// with "<path>: <reason in Polish>" in `failure`.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& failure);

// Removes temporary files in `folder` left by writers of processes that no longer run.
void RemoveStaleTemporaries(const std::string& folder);

}  // namespace textio
