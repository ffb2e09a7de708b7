// QuillSetKeyInfo: writes the key information record of a second-family token.
#include <cstdint>
#include <string>

#include "control_codes.h"
#include "members/members.h"
#include "session.h"
#include "session_ops.h"

namespace quill {

int32_t QuillSetKeyInfo(const ScriptText& name, const ScriptText& description,
                        const ScriptText& url, const ScriptText& other, int32_t set) {
  QuillSession& session = Session();
  if (ModelRefused(0)) return 1;
  if (!TokenPresent()) return 2;
  const std::string nameText = Narrow(name);
  const std::string descriptionText = Narrow(description);
  const std::string urlText = Narrow(url);
  const std::string otherText = Narrow(other);
  if (nameText.size() > kNameSize) {
    TokenSetLastError(CTL_NAME_TOO_LONG);
    return 3;
  }
  if (descriptionText.size() > kDescriptionSize) {
    TokenSetLastError(CTL_DESCRIPTION_TOO_LONG);
    return 4;
  }
  if (urlText.size() > kUrlSize) {
    TokenSetLastError(CTL_URL_TOO_LONG);
    return 5;
  }
  if (otherText.size() > kOtherSize) {
    TokenSetLastError(CTL_OTHER_TOO_LONG);
    return 6;
  }
  // The record's last field: the low byte of set, then zeros.
  const uint8_t field[kModelSize] = {static_cast<uint8_t>(set & 0xFF)};
  if (TokenSetKeyInfo(SelectedHandle(), nameText.c_str(), descriptionText.c_str(), urlText.c_str(),
                      otherText.c_str(), field) != 0) {
    return 7;
  }
  session.keyInfoValid = false;
  return 0;
}

}  // namespace quill
