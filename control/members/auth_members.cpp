// Login with a script's password or through the login dialog, logout and
// the password change.
#include <string>

#include "control_codes.h"
#include "login_dialog.h"
#include "members/members.h"
#include "session.h"
#include "session_ops.h"

namespace quill {
namespace {

constexpr size_t kMaxPasswordCharacters = 32;
constexpr size_t kMaxPasswordBytes = 32;
constexpr int kDialogNotShown = -1;

std::string FirstBytes(const std::string& text, size_t count) {
  return text.substr(0, count);
}

}  // namespace

int32_t QuillOpen(const ScriptText& userPwd) {
  return VerifyPassword(Narrow(userPwd));
}

int32_t QuillOpenEx() {
  if (QuillCheckExist() < 1) {
    TokenSetLastError(CTL_NO_TOKEN);
    return 1;
  }
  LoginDialogPort* dialog = ControlPorts().dialog;
  if (dialog == nullptr) return kDialogNotShown;
  LoginDialogController controller;
  return dialog->Run(controller);
}

int32_t QuillClose() {
  DropDeviceList();
  if (!TokenPresent()) return 1;
  return TokenLogout(SelectedHandle());
}

int32_t QuillChangePassword(const ScriptText& oldPassword, const ScriptText& newPassword) {
  if (!TokenPresent()) return 1;
  if (CharacterCount(oldPassword) > kMaxPasswordCharacters ||
      CharacterCount(newPassword) > kMaxPasswordCharacters) {
    TokenSetLastError(CTL_PASSWORD_TOO_LONG);
    return 2;
  }
  const std::string oldText = FirstBytes(Narrow(oldPassword), kMaxPasswordBytes);
  const std::string newText = FirstBytes(Narrow(newPassword), kMaxPasswordBytes);
  return TokenChangePassword(SelectedHandle(), oldText.c_str(), newText.c_str());
}

}  // namespace quill
