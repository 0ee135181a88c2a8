#include "transform/FitStamp.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "textio/NumberForms.h"
#include "transform/ControlReport.h"

namespace {

// FNV-1a, 64 bits: enough to tell two point sets apart, not a seal.
class Checksum {
 public:
  void Add(const void* data, std::size_t size) {
    const auto* byte = static_cast<const unsigned char*>(data);
    for (std::size_t k = 0; k < size; ++k) {
      hash_ ^= byte[k];
      hash_ *= 0x100000001b3ULL;
    }
  }
  void Add(std::string_view text) {
    Add(text.data(), text.size());
    Add("\0", 1);  // so that "12" "3" differs from "1" "23"
  }
  // The 80-bit value's ten significant bytes, whatever the padding around them.
  void Add(long double value) {
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &value, sizeof value);
    Add(bytes, 10);
  }
  std::string Hex() const {
    static const char* const kDigits = "0123456789abcdef";
    std::string hex(16, '0');
    for (int k = 0; k < 16; ++k)
      hex[15 - k] = kDigits[(hash_ >> (4 * k)) & 15];
    return hex;
  }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

}  // namespace

std::string FitStamp(const TransformationResult& result) {
  const TFittedTransformation& f = result.FittedTransformation;
  if (!f.Usable()) return {};
  Checksum sum;
  for (const TPkt& p : result.input->points) {
    sum.Add(p.Nr);
    for (long double v : {p.x1, p.y1, p.x2, p.y2})
      sum.Add(v);
  }
  sum.Add(std::string_view("wykluczone"));
  for (const PointNumber& nr : result.exclusions.numbers)
    sum.Add(nr.View());
  // Appended piece by piece: GCC 12 warns falsely on "literal" + std::string at -O3.
  std::string stamp = KindName(result.choice.TransformKind);
  stamp += ' ';
  stamp += std::to_string(result.choice.TransformDegree);
  stamp += ", m0 ";
  textio::AppendFixed(stamp, f.figures.m0, 0, 6);
  stamp += ", punkty ";
  stamp += sum.Hex();
  return stamp;
}

std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string XmlUnescaped(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
  std::string out;
  for (std::size_t k = 0; k < text.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (text.substr(k, entity.size()) == entity) {
        out += c;
        k += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[k++];
  }
  return out;
}
