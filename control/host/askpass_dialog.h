// The host's login dialog: each attempt asks the askpass program for the
// password, with the dialog's message line as the prompt, and passes the
// answer to the dialog's controller as the text of its password field.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "askpass.h"
#include "control_ports.h"
#include "control_strings.h"

namespace quill::host {

// Receives one line (without "quill-host: " and without a line feed) for
// each thing the user of the host should know: why the dialog could not be
// shown, a program that was ended for taking too long.
using AskpassWarningSink = std::function<void(const std::string&)>;

class AskpassLoginDialog : public LoginDialogPort {
 public:
  AskpassLoginDialog(AskpassPort& askpass, UiLanguage language, AskpassWarningSink warn = nullptr)
      : askpass_(askpass), language_(language), warn_(std::move(warn)) {}

  // -1 when no askpass program is named or the first prompt cannot be
  // started (with a warning that says which); otherwise the dialog's end
  // code. A program that times out counts as the cancel button.
  int Run(LoginDialogController& controller) override;

 private:
  void Warn(const std::string& line) const;

  AskpassPort& askpass_;
  UiLanguage language_;
  AskpassWarningSink warn_;
};

// The prompt of an attempt: the message line, or the password field's label
// ("User Pin:") while the line is empty.
std::string AskpassPrompt(const std::u16string& messageLine, UiLanguage language);

}  // namespace quill::host
