// The settings that give a new virtual token its starting values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quill {

constexpr size_t kVersionTextSize = 8;
constexpr size_t kIdentityTextSize = 8;
constexpr size_t kUsageTagSize = 32;

// The defaults are those of a new token.
struct TokenSettings {
  std::string password = "12345678";     // at most 64 bytes
  std::string versionText = "QVT 0001";  // at most 8 bytes, zero-padded
  std::string identity = "QUILLVT1";     // at most 8 bytes, zero-padded
  uint8_t requestEnabled = 1;
  std::string usageTag = "login";  // at most 32 bytes, zero-padded
};

// False with a message naming the setting when a value does not fit.
bool CheckTokenSettings(const TokenSettings& settings, std::string* error);

}  // namespace quill
