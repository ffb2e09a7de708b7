// The host's login dialog: each attempt asks the askpass program for the
// password, with the dialog's message line as the prompt, and passes the
// answer to the dialog's controller as the text of its password field.
#pragma once

#include "askpass.h"
#include "control_ports.h"
#include "control_strings.h"

namespace quill::host {

class AskpassLoginDialog : public LoginDialogPort {
 public:
  AskpassLoginDialog(AskpassPort& askpass, UiLanguage language)
      : askpass_(askpass), language_(language) {}

  // -1 when no askpass program is named or the first prompt cannot be
  // started; otherwise the dialog's end code.
  int Run(LoginDialogController& controller) override;

 private:
  AskpassPort& askpass_;
  UiLanguage language_;
};

// The prompt of an attempt: the message line, or the password field's label
// ("User Pin:") while the line is empty.
std::string AskpassPrompt(const std::u16string& messageLine, UiLanguage language);

}  // namespace quill::host
