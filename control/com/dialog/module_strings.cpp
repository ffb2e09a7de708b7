#include "module_strings.h"

#include "resource_ids.h"

namespace quill {

static_assert(IDS_PROJNAME == kStringControlName && IDS_WRONG_PIN == kStringWrongPassword &&
                  IDS_NO_KEY == kStringConnectKey,
              "the module's string ids are the control's");

std::u16string ModuleString(HINSTANCE module, int id) {
  // With no buffer, LoadStringW points into the loaded resource itself.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::u16string();
  return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(length));
}

UiLanguage ModuleLanguage(HINSTANCE module) {
  const std::u16string text = ModuleString(module, IDS_WRONG_PIN);
  return text == ControlString(kStringWrongPassword, UiLanguage::kChinese) ? UiLanguage::kChinese
                                                                           : UiLanguage::kEnglish;
}

std::u16string ModuleWrongPasswordMessage(HINSTANCE module, int attemptsLeft) {
  std::u16string text = ModuleString(module, IDS_WRONG_PIN);
  const size_t mark = text.find(u"%d");
  if (mark != std::u16string::npos) {
    const std::string digits = std::to_string(attemptsLeft);
    text.replace(mark, 2, std::u16string(digits.begin(), digits.end()));
  }
  return text;
}

}  // namespace quill
