// The portable half of the login dialog: what its login and cancel buttons do
// and what its message line shows. The platform's dialog (LoginDialogPort)
// draws the template, calls Initialise when it opens, passes each press of
// the login button with the password field's text to Login, the cancel
// button, Escape and the close box to Cancel, shows MessageLine() after each
// call, and ends with the code of an outcome that says so.
//
// The default-button command (Enter) must do nothing in the platform's
// dialog: only the login button submits.
#pragma once

#include <cstddef>
#include <string>

#include "control_strings.h"

namespace quill {

struct LoginOutcome {
  bool ended = false;  // the dialog closes now
  int endCode = 0;     // when ended: 0 logged in, 2 cancelled or out of attempts
};

// The attempts the dialog grants each time it opens.
constexpr int kLoginAttempts = 3;
// The dialog's end codes.
constexpr int kLoginEndSuccess = 0;
constexpr int kLoginEndCancelled = 2;
// How much of the password field a login reads.
constexpr size_t kLoginFieldCharacters = 127;

class LoginDialogController {
 public:
  explicit LoginDialogController(UiLanguage language = UiLanguage::kEnglish)
      : language_(language) {}

  // The platform picks the language of the message texts before Initialise.
  void SetLanguage(UiLanguage language) { language_ = language; }
  UiLanguage Language() const { return language_; }

  // The dialog opens: three attempts, an empty message line.
  void Initialise();
  // The login button with the field's text (UTF-16, up to its first NUL and
  // at most 127 characters are read), converted in the thread's code page.
  LoginOutcome Login(const std::u16string& passwordField);
  // Cancel: ends with 2 and records nothing.
  LoginOutcome Cancel();

  const std::u16string& MessageLine() const { return message_; }

 private:
  UiLanguage language_;
  std::u16string message_;
};

// The attempts left: one count for the whole module, as the dialog keeps it.
int LoginAttemptsLeft();

}  // namespace quill
