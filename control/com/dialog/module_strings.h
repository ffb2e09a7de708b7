// The module's string table as the platform picks it (by the user's
// language), and the message line the login dialog builds from it.
#pragma once

#include <windows.h>

#include <string>

#include "control_strings.h"

namespace quill {

// The text of string id in module's table; empty when the table lacks it.
std::u16string ModuleString(HINSTANCE module, int id);

// The language of the table the platform picked: the one whose string 101
// the module's matches (English when neither does).
UiLanguage ModuleLanguage(HINSTANCE module);

// String 101 of the module with its "%d" replaced by the attempts left.
std::u16string ModuleWrongPasswordMessage(HINSTANCE module, int attemptsLeft);

}  // namespace quill
