// The control's string table (ids 100 to 102) in the two languages the
// platform picks from by the user's language.
#pragma once

#include <string>

namespace quill {

enum class UiLanguage { kEnglish, kChinese };

constexpr int kStringControlName = 100;    // "QuillActiveX"
constexpr int kStringWrongPassword = 101;  // carries "%d": the attempts left
constexpr int kStringConnectKey = 102;

// The text of a string id; empty for an id the table does not hold.
std::u16string ControlString(int id, UiLanguage language);

// String 101 with its "%d" replaced by the decimal attempts count.
std::u16string WrongPasswordMessage(int attemptsLeft, UiLanguage language);

}  // namespace quill
