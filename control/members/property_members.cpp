// The properties: Model, Version and the key information accessors. The put
// accessors other than Model's accept their value and keep nothing.
#include <string>

#include "control_codes.h"
#include "members/members.h"
#include "session.h"
#include "session_ops.h"

namespace quill {
namespace {

ScriptText CachedText(const std::u16string& text) {
  return text.empty() ? ScriptText::Null() : ScriptText::Of(text);
}

// A key information text from the cache, filled on first use.
ScriptText KeyInfoText(const std::u16string QuillSession::*field, int unreadableCode) {
  if (LoadKeyInfo() != 0) {
    TokenSetLastError(unreadableCode);
    return ScriptText::Null();
  }
  return CachedText(Session().*field);
}

}  // namespace

int32_t GetModel() {
  const int32_t model = Session().model;
  return model == 0 || model == 1 ? model : -1;
}

void PutModel(int32_t value) {
  QuillSession& session = Session();
  session.listValid = false;
  session.model = value == 1 ? 1 : 0;
}

ScriptText GetVersion() {
  return TextResult("3.3");
}
void PutVersion(const ScriptText&) {}

ScriptText GetName() {
  return KeyInfoText(&QuillSession::name, CTL_NAME_UNREADABLE);
}
void PutName(const ScriptText&) {}

ScriptText GetDescription() {
  return KeyInfoText(&QuillSession::description, CTL_DESCRIPTION_UNREADABLE);
}
void PutDescription(const ScriptText&) {}

ScriptText GetUrl() {
  return KeyInfoText(&QuillSession::url, CTL_URL_UNREADABLE);
}
void PutUrl(const ScriptText&) {}

ScriptText GetOther() {
  return KeyInfoText(&QuillSession::other, CTL_OTHER_UNREADABLE);
}
void PutOther(const ScriptText&) {}

// The last value read, or 0 when the key information was never readable.
int32_t GetRequestEnabled() {
  LoadKeyInfo();
  return Session().requestEnabled;
}
void PutRequestEnabled(int32_t) {}

}  // namespace quill
