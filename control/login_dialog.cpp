#include "login_dialog.h"

#include <algorithm>

#include "control_codes.h"
#include "session.h"
#include "session_ops.h"
#include "token.h"

namespace quill {
namespace {

// Module-wide: every dialog of the process shares it.
int& AttemptsLeft() {
  static int attemptsLeft = kLoginAttempts;
  return attemptsLeft;
}

LoginOutcome StaysOpen() {
  return LoginOutcome{};
}
LoginOutcome Ends(int code) {
  return LoginOutcome{true, code};
}

}  // namespace

int LoginAttemptsLeft() {
  return AttemptsLeft();
}

void LoginDialogController::Initialise() {
  AttemptsLeft() = kLoginAttempts;
  message_.clear();
}

LoginOutcome LoginDialogController::Login(const std::u16string& passwordField) {
  std::u16string field = passwordField.substr(0, passwordField.find(u'\0'));
  field.resize(std::min(field.size(), kLoginFieldCharacters));
  std::string password = ControlPorts().text->ToNarrowForThread(field);
  password.resize(std::min(password.size(), password.find('\0')));

  const int result = VerifyPassword(password);
  if (result == 0) {
    AttemptsLeft() = kLoginAttempts;
    return Ends(kLoginEndSuccess);
  }
  if (result == 1) {
    TokenSetLastError(CTL_NO_TOKEN);
    message_ = ControlString(kStringConnectKey, language_);
    AttemptsLeft() = kLoginAttempts;
    return StaysOpen();
  }
  const int left = --AttemptsLeft();
  message_ = WrongPasswordMessage(left, language_);
  TokenSetLastError(CTL_DIALOG_WRONG_PIN);
  return left <= 0 ? Ends(kLoginEndCancelled) : StaysOpen();
}

LoginOutcome LoginDialogController::Cancel() {
  return Ends(kLoginEndCancelled);
}

}  // namespace quill
