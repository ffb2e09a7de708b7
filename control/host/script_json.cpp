#include "script_json.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "text/utf8.h"

namespace quill::host {
namespace {

constexpr int64_t kLongMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();

bool ToLong(const Json& value, int32_t* out) {
  if (value.is_number_integer() && !value.is_number_unsigned()) {
    const int64_t number = value.get<int64_t>();
    if (number < kLongMin || number > kLongMax) return false;
    *out = static_cast<int32_t>(number);
    return true;
  }
  if (value.is_number_unsigned()) {
    const uint64_t number = value.get<uint64_t>();
    if (number > static_cast<uint64_t>(kLongMax)) return false;
    *out = static_cast<int32_t>(number);
    return true;
  }
  if (value.is_number_float()) {
    // 1.0 and 1e3 are integral values; 1.5 and 2147483648.0 are not longs.
    const double number = value.get<double>();
    if (!std::isfinite(number) || std::trunc(number) != number) return false;
    if (number < static_cast<double>(kLongMin) || number > static_cast<double>(kLongMax)) {
      return false;
    }
    *out = static_cast<int32_t>(number);
    return true;
  }
  return false;
}

bool ToText(const Json& value, ScriptText* out) {
  if (value.is_null()) {
    *out = ScriptText::Null();
    return true;
  }
  if (!value.is_string()) return false;
  std::u16string text = Utf8ToUtf16(value.get_ref<const std::string&>());
  const size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  *out = ScriptText::Of(std::move(text));
  return true;
}

}  // namespace

bool ToScriptValue(const Json& value, ScriptType type, ScriptValue* out) {
  if (type == ScriptType::kLong) {
    int32_t number = 0;
    if (!ToLong(value, &number)) return false;
    *out = number;
    return true;
  }
  ScriptText text;
  if (!ToText(value, &text)) return false;
  *out = std::move(text);
  return true;
}

Json FromScriptValue(const ScriptValue& value) {
  if (const int32_t* number = std::get_if<int32_t>(&value)) return *number;
  if (const ScriptText* text = std::get_if<ScriptText>(&value)) return Utf16ToUtf8(text->text);
  return nullptr;
}

}  // namespace quill::host
