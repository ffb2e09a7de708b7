// Values that cross the scripting boundary: 32-bit integers and OLE strings
// (UTF-16, possibly null), as a script engine passes them to the control.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace quill {

// A BSTR: UTF-16 text, or null. A null text behaves as the empty text.
struct ScriptText {
  bool isNull = true;
  std::u16string text;

  static ScriptText Null() { return ScriptText(); }
  static ScriptText Of(std::u16string value) { return ScriptText{false, std::move(value)}; }
  // The text up to its first NUL, as the control reads a BSTR.
  std::u16string UpToNul() const {
    const size_t nul = text.find(u'\0');
    return nul == std::u16string::npos ? text : text.substr(0, nul);
  }
  bool operator==(const ScriptText& other) const {
    return isNull == other.isNull && text == other.text;
  }
};

enum class ScriptType { kLong, kText };

// A parameter or a result: nothing (a put's result), a long, or a text.
using ScriptValue = std::variant<std::monostate, int32_t, ScriptText>;
using ScriptArgs = std::vector<ScriptValue>;

inline int32_t LongArg(const ScriptArgs& args, size_t index) {
  return std::get<int32_t>(args.at(index));
}
inline const ScriptText& TextArg(const ScriptArgs& args, size_t index) {
  return std::get<ScriptText>(args.at(index));
}

}  // namespace quill
