#include "tests/JsonValue.h"

#include <cctype>
#include <charconv>
#include <cstdlib>

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  bool Value(JsonValue& v) {
    Blank();
    if (pos_ >= text_.size()) return false;
    const char c = text_[pos_];
    if (c == '{') return Object(v);
    if (c == '[') return Array(v);
    if (c == '"') {
      v.type = JsonValue::Type::String;
      return String(v.text);
    }
    if (Word("true")) return v.type = JsonValue::Type::Bool, v.boolean = true;
    if (Word("false")) return v.type = JsonValue::Type::Bool, true;
    if (Word("null")) return true;
    return Number(v);
  }
  bool AtEnd() {
    Blank();
    return pos_ == text_.size();
  }

 private:
  void Blank() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
      ++pos_;
  }
  bool Word(std::string_view w) {
    if (text_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }
  bool Take(char c) {
    Blank();
    if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
    return false;
  }
  // from_chars, not strtod: the tests run under a locale with a decimal comma.
  bool Number(JsonValue& v) {
    const char* first = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '-')) {
      return false;
    }
    const auto [end, error] = std::from_chars(first, last, v.number);
    if (error != std::errc()) return false;
    pos_ += static_cast<std::size_t>(end - first);
    v.type = JsonValue::Type::Number;
    return true;
  }
  bool String(std::string& out) {
    if (!Take('"')) return false;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c == '\\') {
        if (pos_ >= text_.size()) return false;
        c = text_[pos_++];
        if (c == 'u') {
          if (pos_ + 4 > text_.size()) return false;
          const long code = std::strtol(std::string(text_.substr(pos_, 4)).c_str(), nullptr, 16);
          pos_ += 4;
          if (code >= 0x80) return false;  // the programs escape control characters only
          c = static_cast<char>(code);
        } else if (c == 'n') {
          c = '\n';
        } else if (c != '"' && c != '\\' && c != '/') {
          return false;
        }
      }
      out += c;
    }
    return Take('"');
  }
  bool Array(JsonValue& v) {
    v.type = JsonValue::Type::Array;
    Take('[');
    if (Take(']')) return true;
    do {
      v.items.emplace_back();
      if (!Value(v.items.back())) return false;
    } while (Take(','));
    return Take(']');
  }
  bool Object(JsonValue& v) {
    v.type = JsonValue::Type::Object;
    Take('{');
    if (Take('}')) return true;
    do {
      std::string key;
      Blank();
      if (!String(key) || !Take(':') || v.members.count(key)) return false;
      if (!Value(v.members[key])) return false;
    } while (Take(','));
    return Take('}');
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text) {
  Parser parser(text);
  JsonValue v;
  if (!parser.Value(v) || !parser.AtEnd()) return std::nullopt;
  return v;
}
