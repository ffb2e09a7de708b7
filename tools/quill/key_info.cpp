#include "key_info.h"

#include <cstring>

#include "hex_text.h"
#include "utf8_text.h"

namespace quill {
namespace {

// A text from a buffer the library filled: up to its terminator, never
// beyond the buffer.
template <size_t N>
std::string TextOf(const char (&buffer)[N]) {
  return std::string(buffer, strnlen(buffer, N));
}

}  // namespace

int ReadKeyInfo(TokenHandle handle, KeyInfo* info) {
  char name[kNameSize + 1] = {};
  char description[kDescriptionSize + 1] = {};
  char url[kUrlSize + 1] = {};
  char other[kOtherSize + 1] = {};
  const int result = TokenGetKeyInfo(handle, name, description, url, other, info->model.data());
  if (result != 0) return result;
  info->name = TextOf(name);
  info->description = TextOf(description);
  info->url = TextOf(url);
  info->other = TextOf(other);
  return 0;
}

int WriteKeyInfo(TokenHandle handle, const KeyInfo& info) {
  return TokenSetKeyInfo(handle, info.name.c_str(), info.description.c_str(), info.url.c_str(),
                         info.other.c_str(), info.model.data());
}

JsonValue KeyInfoJson(const KeyInfo& info) {
  return JsonValue::Object()
      .Set("name", JsonValue::String(info.name))
      .Set("description", JsonValue::String(info.description))
      .Set("url", JsonValue::String(info.url))
      .Set("other", JsonValue::String(info.other))
      .Set("model_bytes", JsonValue::String(HexEncode(info.model.data(), info.model.size())));
}

std::string KeyInfoText(const KeyInfo& info) {
  return Field("name", PrintableText(info.name)) +
         Field("description", PrintableText(info.description)) +
         Field("url", PrintableText(info.url)) + Field("other", PrintableText(info.other)) +
         Field("model bytes", HexEncode(info.model.data(), info.model.size()));
}

std::string Field(const std::string& label, const std::string& value) {
  std::string line = label + ":";
  if (line.size() < 18) line.resize(18, ' ');
  return line + value + "\n";
}

}  // namespace quill
