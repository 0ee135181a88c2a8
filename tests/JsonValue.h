// A small JSON reader for tests of the programs' JSON output: parses one value strictly
// (objects, arrays, strings with escapes, numbers, true, false, null) and fails on
// anything else, so a test also proves the output is well-formed.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct JsonValue {
  enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  bool IsNull() const { return type == Type::Null; }
  bool Has(const std::string& key) const { return members.count(key) != 0; }
  const JsonValue& operator[](const std::string& key) const { return members.at(key); }
  const JsonValue& operator[](std::size_t i) const { return items.at(i); }
};

// The value of the whole text, or nothing when it is not exactly one JSON value.
std::optional<JsonValue> ParseJson(std::string_view text);
