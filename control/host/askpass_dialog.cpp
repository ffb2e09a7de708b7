#include "askpass_dialog.h"

#include "login_dialog.h"
#include "text/utf8.h"

namespace quill::host {

std::string AskpassPrompt(const std::u16string& messageLine, UiLanguage language) {
  if (!messageLine.empty()) return Utf16ToUtf8(messageLine);
  return language == UiLanguage::kChinese ? "\xE8\xBE\x93\xE5\x85\xA5\xE5\xAF\x86\xE7\xA0\x81:"
                                          : "User Pin:";
}

int AskpassLoginDialog::Run(LoginDialogController& controller) {
  constexpr int kNotCreated = -1;
  if (!askpass_.Configured()) return kNotCreated;
  controller.SetLanguage(language_);
  controller.Initialise();
  for (bool first = true;; first = false) {
    std::string typed;
    const AskpassStatus status =
        askpass_.Ask(AskpassPrompt(controller.MessageLine(), language_), &typed);
    if (status == AskpassStatus::kNotStarted && first) return kNotCreated;
    const LoginOutcome outcome = status == AskpassStatus::kTyped
                                     ? controller.Login(Utf8ToUtf16(FirstLine(typed)))
                                     : controller.Cancel();
    if (outcome.ended) return outcome.endCode;
  }
}

}  // namespace quill::host
