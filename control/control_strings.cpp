#include "control_strings.h"

namespace quill {
namespace {

struct StringEntry {
  int id;
  const char16_t* english;
  const char16_t* chinese;
};

constexpr StringEntry kStrings[] = {
    {kStringControlName, u"QuillActiveX", u"QuillActiveX"},
    {kStringWrongPassword, u"Error user password,remainder %d times.",
     u"\u7528\u6237\u5bc6\u7801\u9519\u8bef\uff0c\u5269\u4f59 %d \u6b21"},
    {kStringConnectKey, u"Please Connect is USB key.", u"\u8bf7\u8fde\u63a5USB key"},
};

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string ControlString(int id, UiLanguage language) {
  for (const StringEntry& entry : kStrings) {
    if (entry.id == id) return language == UiLanguage::kChinese ? entry.chinese : entry.english;
  }
  return std::u16string();
}

std::u16string WrongPasswordMessage(int attemptsLeft, UiLanguage language) {
  std::u16string text = ControlString(kStringWrongPassword, language);
  const size_t mark = text.find(u"%d");
  if (mark != std::u16string::npos) text.replace(mark, 2, Decimal(attemptsLeft));
  return text;
}

}  // namespace quill
