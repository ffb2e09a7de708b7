#include "askpass_dialog.h"

#include "login_dialog.h"
#include "text/utf8.h"

namespace quill::host {

std::string AskpassPrompt(const std::u16string& messageLine, UiLanguage language) {
  if (!messageLine.empty()) return Utf16ToUtf8(messageLine);
  return language == UiLanguage::kChinese ? "\xE8\xBE\x93\xE5\x85\xA5\xE5\xAF\x86\xE7\xA0\x81:"
                                          : "User Pin:";
}

void AskpassLoginDialog::Warn(const std::string& line) const {
  if (warn_) warn_(line);
}

int AskpassLoginDialog::Run(LoginDialogController& controller) {
  constexpr int kNotCreated = -1;
  if (!askpass_.Configured()) {
    Warn(
        "QuillOpenEx: no login dialog: QUILL_ASKPASS names no program (set it to a program "
        "that prints the password, in the manner of SSH_ASKPASS)");
    return kNotCreated;
  }
  controller.SetLanguage(language_);
  controller.Initialise();
  for (bool first = true;; first = false) {
    std::string typed;
    const AskpassStatus status =
        askpass_.Ask(AskpassPrompt(controller.MessageLine(), language_), &typed);
    if (status == AskpassStatus::kNotStarted && first) {
      Warn(
          "QuillOpenEx: no login dialog: the program named by QUILL_ASKPASS could not be "
          "started");
      return kNotCreated;
    }
    if (status == AskpassStatus::kTimedOut) {
      Warn("QuillOpenEx: the program named by QUILL_ASKPASS did not answer within " +
           std::to_string(AskpassTimeoutSeconds()) +
           " s (QUILL_ASKPASS_TIMEOUT) and was ended; that counts as cancel");
    }
    const LoginOutcome outcome = status == AskpassStatus::kTyped
                                     ? controller.Login(Utf8ToUtf16(FirstLine(typed)))
                                     : controller.Cancel();
    if (outcome.ended) return outcome.endCode;
  }
}

}  // namespace quill::host
