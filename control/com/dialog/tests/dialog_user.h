// Plays the user of a login dialog shown by another thread of the process:
// finds the dialog, types into the password field, presses keys and buttons,
// reads what the controls show and checks the template's layout.
#pragma once

#include <windows.h>

#include <string>

#include "control_strings.h"
#include "driver_checks.h"

namespace quill::dialog_driver {

// The texts the template gives the dialog in one language.
struct DialogTexts {
  UiLanguage language;
  std::u16string caption;
  std::u16string login;
  std::u16string cancel;
  std::u16string label;
};

DialogTexts TextsOf(UiLanguage language);

class DialogUser {
 public:
  DialogUser(Checks& checks, const DialogTexts& texts) : checks_(checks), texts_(texts) {}

  // The visible dialog with the language's caption; nullptr after 10 s.
  HWND WaitForDialog();
  // True when the dialog is gone within 5 s.
  bool WaitClosed(HWND dialog);
  // Ends a dialog that a failed check left open (as the cancel command).
  void Abandon(HWND dialog);

  // Styles, texts, positions in dialog units and the owner.
  void CheckTemplate(HWND dialog, HWND expectedOwner);

  void SetPasswordField(HWND dialog, const std::u16string& text);
  void Click(HWND dialog, int buttonId);  // BM_CLICK
  // Posts a key press to the focused control, as the keyboard would.
  void PressKey(HWND dialog, UINT virtualKey);
  // Posts a typed character to the password field.
  void TypeCharacter(HWND dialog, char16_t character);
  // Waits (up to 5 s) until the field reads text.
  bool WaitForField(HWND dialog, const std::u16string& text);

  std::u16string Text(HWND dialog, int id);

 private:
  // units: x, y, width, height in dialog units.
  void CheckPosition(HWND dialog, HWND control, const RECT& units, bool sizeToo,
                     const std::string& name);

  Checks& checks_;
  DialogTexts texts_;
};

// ASCII rendering of a text for the log (other characters as \uXXXX).
std::string Printable(const std::u16string& text);

}  // namespace quill::dialog_driver
