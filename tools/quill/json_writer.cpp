#include "json_writer.h"

#include "utf8_text.h"

namespace quill {
namespace {

void AppendValue(const JsonValue& value, std::string* out) {
  switch (value.type()) {
    case JsonValue::Type::kNull:
      *out += "null";
      break;
    case JsonValue::Type::kBool:
      *out += value.boolValue() ? "true" : "false";
      break;
    case JsonValue::Type::kNumber:
      *out += std::to_string(value.numberValue());
      break;
    case JsonValue::Type::kString:
      AppendJsonString(value.stringValue(), out);
      break;
    case JsonValue::Type::kArray: {
      *out += '[';
      bool first = true;
      for (const JsonValue& element : value.elements()) {
        if (!first) *out += ',';
        first = false;
        AppendValue(element, out);
      }
      *out += ']';
      break;
    }
    case JsonValue::Type::kObject: {
      *out += '{';
      bool first = true;
      for (const auto& member : value.members()) {
        if (!first) *out += ',';
        first = false;
        AppendJsonString(member.first, out);
        *out += ':';
        AppendValue(member.second, out);
      }
      *out += '}';
      break;
    }
  }
}

}  // namespace

JsonValue JsonValue::Bool(bool value) {
  JsonValue result;
  result.type_ = Type::kBool;
  result.bool_ = value;
  return result;
}

JsonValue JsonValue::Number(int64_t value) {
  JsonValue result;
  result.type_ = Type::kNumber;
  result.number_ = value;
  return result;
}

JsonValue JsonValue::String(const std::string& value) {
  JsonValue result;
  result.type_ = Type::kString;
  result.string_ = value;
  return result;
}

JsonValue JsonValue::Array() {
  JsonValue result;
  result.type_ = Type::kArray;
  return result;
}

JsonValue JsonValue::Object() {
  JsonValue result;
  result.type_ = Type::kObject;
  return result;
}

JsonValue& JsonValue::Set(const std::string& key, JsonValue value) {
  members_.emplace_back(key, std::move(value));
  return *this;
}

JsonValue& JsonValue::Append(JsonValue value) {
  elements_.push_back(std::move(value));
  return *this;
}

std::string WriteJson(const JsonValue& value) {
  std::string out;
  AppendValue(value, &out);
  return out;
}

void AppendJsonString(const std::string& text, std::string* out) {
  static const char kDigits[] = "0123456789abcdef";
  *out += '"';
  for (size_t i = 0; i < text.size();) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c >= 0x80) {
      const size_t length = Utf8SequenceLength(text, i);
      if (length == 0) {
        *out += "\\ufffd";
        ++i;
      } else {
        out->append(text, i, length);
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"':
        *out += "\\\"";
        break;
      case '\\':
        *out += "\\\\";
        break;
      case '\b':
        *out += "\\b";
        break;
      case '\f':
        *out += "\\f";
        break;
      case '\n':
        *out += "\\n";
        break;
      case '\r':
        *out += "\\r";
        break;
      case '\t':
        *out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          *out += "\\u00";
          *out += kDigits[c >> 4];
          *out += kDigits[c & 0x0F];
        } else {
          *out += static_cast<char>(c);
        }
    }
    ++i;
  }
  *out += '"';
}

}  // namespace quill
