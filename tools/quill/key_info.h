// The key information record as the tool handles it: four texts and the
// eight model bytes, read from and written to the token.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "json_writer.h"
#include "token.h"

namespace quill {

struct KeyInfo {
  std::string name;
  std::string description;
  std::string url;
  std::string other;
  std::array<uint8_t, kModelSize> model{};
};

// 0 or the library's result.
int ReadKeyInfo(TokenHandle handle, KeyInfo* info);
int WriteKeyInfo(TokenHandle handle, const KeyInfo& info);

// {"name":...,"description":...,"url":...,"other":...,"model_bytes":"hex"}.
JsonValue KeyInfoJson(const KeyInfo& info);
// "name: ...\n" lines, with the texts made safe for a terminal.
std::string KeyInfoText(const KeyInfo& info);

// "label:" padded to a column, then the value and a line feed.
std::string Field(const std::string& label, const std::string& value);

}  // namespace quill
