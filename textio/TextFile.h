// Sequential text files as the program's mapping system writes them: Windows-1250 bytes,
// CR LF line ends. Reading also takes a bare LF as a line end and stops at Ctrl-Z; lines are
// handed over as raw bytes. Writing appends CR LF to every line.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

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

class TextFileWriter {
 public:
  // Creates the file, or empties it. False when it cannot be created; what is written
  // afterwards is then dropped and `Failed()` stays true.
  bool Create(const std::string& path);
  void WriteLine(std::string_view cp1250);
  // Flushes and closes; false when any write failed.
  bool Close();
  bool Failed() const { return failed_; }

 private:
  bool Flush();

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string buffer_;  // lines wait here and go to the file in blocks
  bool failed_ = false;
};

}  // namespace textio
