#include "transform/UPKTBIN.h"

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/RunEvents.h"
#include "textio/Platform.h"
#include "textio/TextFile.h"

static_assert(LDBL_MANT_DIG == 64, "TRANSPKT.BIN holds x87 80-bit extended reals");

namespace {

constexpr std::size_t kRealBytes = 10;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Sequential little-endian reading that knows how many bytes are left, so a declared
// length is checked against the file before anything is allocated for it.
class BinaryInput {
 public:
  explicit BinaryInput(std::FILE* f) : file_(f) {
    if (std::fseek(f, 0, SEEK_END) == 0) {
      const long size = std::ftell(f);
      remaining_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    }
    std::rewind(f);
  }

  bool Int32(std::int32_t& value) {
    unsigned char b[4];
    if (!Bytes(b, 4)) return false;
    value =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (std::uint32_t{b[1]} << 8) |
                                  (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24));
    return true;
  }

  bool Real(long double& value) {
    unsigned char b[sizeof(long double)] = {};
    if (!Bytes(b, kRealBytes)) return false;
    std::memcpy(&value, b, sizeof value);
    return true;
  }

  // A length-prefixed text; a length of zero or less is the empty text.
  bool Text(std::string& text) {
    std::int32_t length = 0;
    if (!Int32(length)) return false;
    text.clear();
    if (length <= 0) return true;
    if (static_cast<std::uint64_t>(length) > remaining_) return false;
    text.resize(static_cast<std::size_t>(length));
    return Bytes(text.data(), text.size());
  }

 private:
  bool Bytes(void* target, std::size_t count) {
    if (count > remaining_ || std::fread(target, 1, count, file_) != count) return false;
    remaining_ -= count;
    return true;
  }

  std::FILE* file_;
  std::uint64_t remaining_ = 0;
};

void PutInt32(std::string& out, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out += static_cast<char>((u >> shift) & 0xFF);
}

void PutText(std::string& out, const std::string& text) {
  PutInt32(out, static_cast<std::int32_t>(text.size()));
  out += text;
}

void PutReal(std::string& out, long double value) {
  char b[sizeof(long double)];
  std::memcpy(b, &value, sizeof value);
  out.append(b, kRealBytes);
}

}  // namespace

int TPktBIN::CzytajBIN(const std::string& path, std::string& header, std::int32_t& number1,
                       std::int32_t& number2, TPktDostosowania& list) {
  list.clear();
  Opened = false;
  HeaderRead = false;
  RecordsDeclared = -1;
  RecordsComplete = 0;
  File file(textio::OpenStream(path, "rb"));
  if (!file) return 1;
  Opened = true;
  BinaryInput in(file.get());
  std::int32_t count = 0;
  if (!in.Text(header) || !in.Int32(number1) || !in.Int32(number2) || !in.Int32(count)) return 1;
  HeaderRead = true;
  RecordsDeclared = count;
  if (count < 0 || count > kMaxAdjustmentRecords) return 1;
  list.assign(static_cast<std::size_t>(count), TPkt{});
  TPkt record;
  for (TPkt& entry : list) {
    if (!in.Text(record.Nr) || !in.Real(record.x1) || !in.Real(record.y1) || !in.Real(record.x2) ||
        !in.Real(record.y2)) {
      return 1;
    }
    entry = record;
    ++RecordsComplete;
  }
  return 0;
}

std::string TPktBIN::DamageLine() const {
  if (!Opened || RecordsComplete == RecordsDeclared) return {};
  if (!HeaderRead) return "TRANSPKT.BIN uszkodzony: nagłówek niepełny, odczytano 0 rekordów";
  if (RecordsDeclared < 0 || RecordsDeclared > kMaxAdjustmentRecords) {
    return "TRANSPKT.BIN uszkodzony: liczba rekordów " + std::to_string(RecordsDeclared) +
           " poza zakresem 0.." + std::to_string(kMaxAdjustmentRecords);
  }
  return "TRANSPKT.BIN uszkodzony: odczytano " + std::to_string(RecordsComplete) + " z " +
         std::to_string(RecordsDeclared) + " rekordów";
}

int TPktBIN::WczytajBIN(const std::string& path, std::string& header, std::int32_t& number1,
                        std::int32_t& number2, TPktDostosowania& list, RunEvents& events) {
  const int status = CzytajBIN(path, header, number1, number2, list);
  if (status > 0) {
    const std::string damage = DamageLine();
    events.ShowMessage(MessageKind::AdjustmentFileUnreadable,
                       damage.empty() ? std::string(kReadFailureMessage)
                                      : std::string(kReadFailureMessage) + "\n" + damage);
  }
  return status;
}

bool WriteTransPktBIN(const std::string& path, const std::string& header, std::int32_t number1,
                      std::int32_t number2, const TPktDostosowania& list, std::string& failure) {
  std::string bytes;
  PutText(bytes, header);
  PutInt32(bytes, number1);
  PutInt32(bytes, number2);
  PutInt32(bytes, static_cast<std::int32_t>(list.size()));
  for (const TPkt& p : list) {
    PutText(bytes, p.Nr);
    PutReal(bytes, p.x1);
    PutReal(bytes, p.y1);
    PutReal(bytes, p.x2);
    PutReal(bytes, p.y2);
  }
  return textio::WriteFileAtomically(path, bytes, failure);
}

bool WriteTransPktBIN(const std::string& path, const std::string& header, std::int32_t number1,
                      std::int32_t number2, const TPktDostosowania& list) {
  std::string failure;
  return WriteTransPktBIN(path, header, number1, number2, list, failure);
}
