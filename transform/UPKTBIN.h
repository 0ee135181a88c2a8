// UPKTBIN: the adjustment point file TRANSPKT.BIN. Little-endian: int32 header text length,
// its bytes, two int32 header numbers, int32 record count N, then N records of int32 name
// length, name bytes and four 10-byte x87 extended reals x1, y1, x2, y2. No alignment, no
// signature. Texts are Windows-1250 bytes, taken as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class RunEvents;

struct TPkt {
  std::string Nr;
  long double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

using TPktDostosowania = std::vector<TPkt>;

// More records than the transformation can hold make the file unreadable.
constexpr std::int32_t kMaxAdjustmentRecords = 200000;

// The text of the message box of a failed read.
inline constexpr const char* kReadFailureMessage = "Błąd odczytu pliku TRANSPKT.BIN";

class TPktBIN {
 public:
  // Reads the file at `path`. Returns 0 when the whole file was read, 1 when the read failed
  // (missing file, negative or too large count, file ending early). On failure `list` is
  // empty if the failure came before it was sized, else it holds N entries, complete up to
  // the failure and empty after it. Never throws.
  int CzytajBIN(const std::string& path, std::string& header, std::int32_t& number1,
                std::int32_t& number2, TPktDostosowania& list);

  // CzytajBIN, and on failure the message box (with the damage line below its text when
  // the file was there); returns CzytajBIN's status.
  int WczytajBIN(const std::string& path, std::string& header, std::int32_t& number1,
                 std::int32_t& number2, TPktDostosowania& list, RunEvents& events);

  // What the last read found: the file could be opened (a failure then means damage), the
  // record count the file declares (-1 before it was read), and the records read whole. The
  // entries of `list` past RecordsComplete are placeholders, not points.
  bool Opened = false, HeaderRead = false;
  std::int32_t RecordsDeclared = -1;
  std::int32_t RecordsComplete = 0;

  // The line that names the damage of a failed read of an opened file, UTF-8; empty for a
  // whole file or a missing one.
  std::string DamageLine() const;
};

// Writes `list` in the layout above, atomically as every output: beside the file, then renamed
// into place. False when the file cannot be written, with "<path>: <reason>" in `failure`.
bool WriteTransPktBIN(const std::string& path, const std::string& header, std::int32_t number1,
                      std::int32_t number2, const TPktDostosowania& list, std::string& failure);
bool WriteTransPktBIN(const std::string& path, const std::string& header, std::int32_t number1,
                      std::int32_t number2, const TPktDostosowania& list);
