// A small JSON value (objects keep their keys in insertion order) and its
// compact text form.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quill {

class JsonValue {
 public:
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };

  JsonValue() = default;
  static JsonValue Bool(bool value);
  static JsonValue Number(int64_t value);
  static JsonValue String(const std::string& value);
  static JsonValue Array();
  static JsonValue Object();

  // Object: adds a member (keys are not checked for repeats). Returns *this.
  JsonValue& Set(const std::string& key, JsonValue value);
  // Array: adds an element. Returns *this.
  JsonValue& Append(JsonValue value);

  Type type() const { return type_; }
  bool boolValue() const { return bool_; }
  int64_t numberValue() const { return number_; }
  const std::string& stringValue() const { return string_; }
  const std::vector<JsonValue>& elements() const { return elements_; }
  const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }

 private:
  Type type_ = Type::kNull;
  bool bool_ = false;
  int64_t number_ = 0;
  std::string string_;
  std::vector<JsonValue> elements_;
  std::vector<std::pair<std::string, JsonValue>> members_;
};

// The compact JSON text of value.
std::string WriteJson(const JsonValue& value);

// Appends text as a JSON string literal. Quotes, backslashes and control
// characters are escaped; bytes that are not valid UTF-8 become U+FFFD, so
// the result is always valid JSON whatever a token stored.
void AppendJsonString(const std::string& text, std::string* out);

}  // namespace quill
