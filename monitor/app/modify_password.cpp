#include "modify_password.h"

#include "monitor_constants.h"
#include "string_ids.h"

namespace quill {

DialogEnd CModifyPassword::OnOk(const std::u16string& oldField, const std::u16string& newField,
                                const std::u16string& confirmField) {
  if (usbKey_.Refresh() != kRefreshFound) {
    Message(kIdsKeyNotFound);
    return DialogEnd{};
  }
  std::string oldPassword = ReadField(oldField);
  if (usbKey_.Login(oldPassword) != 0) {
    Message(kIdsWrongOldPassword);
    return DialogEnd{};
  }
  std::string newPassword = ReadField(newField);
  std::string confirmation = ReadField(confirmField);
  if (newPassword != confirmation) {
    Message(kIdsConfirmationDiffers);
    return DialogEnd{};
  }
  if (newPassword.size() > kMaxNewPasswordBytes) {
    Message(kIdsChangeFailed);
    return DialogEnd{};
  }
  if (usbKey_.ChangePassword(oldPassword, newPassword) != 0) {
    Message(kIdsChangeFailed);
    return DialogEnd{};
  }
  Message(kIdsPasswordChanged);
  return DialogEnd{true, kPasswordChangedResult};
}

DialogEnd CModifyPassword::OnSysCommand(uint32_t command) {
  if ((command & kSystemCommandMask) == kScClose) return DialogEnd{true, 0};
  return DialogEnd{};
}

// As an edit control of 64 characters gives it: up to the first zero
// character, at most 63 characters, in the thread's code page.
std::string CModifyPassword::ReadField(const std::u16string& field) {
  std::u16string text = field.substr(0, field.find(u'\0'));
  if (text.size() > kPasswordFieldCharacters) text.resize(kPasswordFieldCharacters);
  if (ports_.text == nullptr) return std::string();
  std::string narrow = ports_.text->ToNarrow(CodePage::kThreadAnsi, text);
  return narrow.substr(0, narrow.find('\0'));
}

void CModifyPassword::Message(int textId) {
  if (ports_.messageBoxes == nullptr || ports_.strings == nullptr) return;
  ports_.messageBoxes->Show(BoxOwner::kPasswordDialog, ports_.strings->Load(textId),
                            ports_.strings->Load(kIdsChangePassword), kMbOk);
}

}  // namespace quill
