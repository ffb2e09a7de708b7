#include "token_settings.h"

#include "token.h"

namespace quill {
namespace {

bool CheckLength(const std::string& text, size_t limit, const char* name, std::string* error) {
  if (text.size() <= limit && text.find('\0') == std::string::npos) return true;
  *error = std::string(name) + " takes at most " + std::to_string(limit) + " bytes";
  return false;
}

}  // namespace

bool CheckTokenSettings(const TokenSettings& settings, std::string* error) {
  return CheckLength(settings.password, kMaxPasswordLength, "the password", error) &&
         CheckLength(settings.versionText, kVersionTextSize, "the version text", error) &&
         CheckLength(settings.identity, kIdentityTextSize, "the identity text", error) &&
         CheckLength(settings.usageTag, kUsageTagSize, "the usage tag", error);
}

}  // namespace quill
