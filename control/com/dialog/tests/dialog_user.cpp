#include "dialog_user.h"

#include <cstdio>

#include "resource_ids.h"

namespace quill::dialog_driver {
namespace {

constexpr DWORD kPollMs = 20;

bool WaitUntil(DWORD timeoutMs, bool (*done)(HWND, const void*), HWND window, const void* context) {
  for (DWORD waited = 0; waited < timeoutMs; waited += kPollMs) {
    if (done(window, context)) return true;
    Sleep(kPollMs);
  }
  return done(window, context);
}

std::u16string WindowText(HWND window) {
  wchar_t text[512] = {};
  const int length = GetWindowTextW(window, text, 512);
  return std::u16string(reinterpret_cast<const char16_t*>(text),
                        static_cast<size_t>(length > 0 ? length : 0));
}

LONG_PTR StyleOf(HWND window) {
  return GetWindowLongPtrW(window, GWL_STYLE);
}

// The template's static label: the one static control without an id of its
// own that shows text.
HWND FindLabel(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    const int id = GetDlgCtrlID(child);
    if (lstrcmpiW(className, L"Static") == 0 && id != IDC_MESSAGE && id != IDC_ICON &&
        (StyleOf(child) & SS_TYPEMASK) != SS_ICON) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace

std::string Printable(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out;
}

DialogTexts TextsOf(UiLanguage language) {
  if (language == UiLanguage::kChinese) {
    return {language, u"\u767b\u5f55", u"\u767b\u5f55", u"\u53d6\u6d88",
            u"\u8f93\u5165\u5bc6\u7801:"};
  }
  return {language, u"Login", u"Login", u"Cancel", u"User Pin:"};
}

HWND DialogUser::WaitForDialog() {
  const wchar_t* caption = reinterpret_cast<const wchar_t*>(texts_.caption.c_str());
  for (DWORD waited = 0; waited < 10000; waited += kPollMs) {
    HWND dialog = FindWindowW(L"#32770", caption);
    if (dialog != nullptr && IsWindowVisible(dialog)) return dialog;
    Sleep(kPollMs);
  }
  return nullptr;
}

bool DialogUser::WaitClosed(HWND dialog) {
  return WaitUntil(
      5000, [](HWND window, const void*) { return !IsWindow(window); }, dialog, nullptr);
}

void DialogUser::Abandon(HWND dialog) {
  if (dialog != nullptr && IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void DialogUser::SetPasswordField(HWND dialog, const std::u16string& text) {
  SendMessageW(GetDlgItem(dialog, IDC_PASSWORD), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
  // The caret to the end, where typed characters go.
  SendMessageW(GetDlgItem(dialog, IDC_PASSWORD), EM_SETSEL, text.size(), text.size());
}

void DialogUser::Click(HWND dialog, int buttonId) {
  SendMessageW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
}

void DialogUser::PressKey(HWND dialog, UINT virtualKey) {
  HWND field = GetDlgItem(dialog, IDC_PASSWORD);
  PostMessageW(field, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(field, WM_KEYUP, virtualKey, 0xC0000001);
}

void DialogUser::TypeCharacter(HWND dialog, char16_t character) {
  PostMessageW(GetDlgItem(dialog, IDC_PASSWORD), WM_CHAR, character, 1);
}

bool DialogUser::WaitForField(HWND dialog, const std::u16string& text) {
  struct Context {
    DialogUser* user;
    const std::u16string* text;
  } context{this, &text};
  return WaitUntil(
      5000,
      [](HWND window, const void* raw) {
        const auto* c = static_cast<const Context*>(raw);
        return c->user->Text(window, IDC_PASSWORD) == *c->text;
      },
      dialog, &context);
}

std::u16string DialogUser::Text(HWND dialog, int id) {
  return WindowText(GetDlgItem(dialog, id));
}

void DialogUser::CheckPosition(HWND dialog, HWND control, const RECT& units, bool sizeToo,
                               const std::string& name) {
  // units holds x, y, width, height; the dialog manager maps each of them on
  // its own, so the right edge is mapped x plus mapped width.
  RECT expected = units;
  MapDialogRect(dialog, &expected);
  RECT actual;
  GetWindowRect(control, &actual);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&actual), 2);
  const LONG width = actual.right - actual.left;
  const LONG height = actual.bottom - actual.top;
  bool same = actual.left == expected.left && actual.top == expected.top;
  if (sizeToo) same = same && width == expected.right && height == expected.bottom;
  char detail[160];
  std::snprintf(detail, sizeof(detail), " at %ld,%ld %ldx%ld px (template %ld,%ld %ldx%ld)",
                actual.left, actual.top, width, height, expected.left, expected.top, expected.right,
                expected.bottom);
  checks_.Expect(same, name + " sits where the template puts it" + detail);
}

void DialogUser::CheckTemplate(HWND dialog, HWND expectedOwner) {
  const bool chinese = texts_.language == UiLanguage::kChinese;
  const std::string language = chinese ? "zh: " : "en: ";
  checks_.Expect(GetWindow(dialog, GW_OWNER) == expectedOwner,
                 language + "the dialog is owned by the caller's active window");
  const LONG_PTR dialogStyle = StyleOf(dialog);
  const LONG_PTR frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  checks_.Expect((dialogStyle & frame) == frame,
                 language + "popup with caption, system menu and modal frame");

  HWND field = GetDlgItem(dialog, IDC_PASSWORD);
  const LONG_PTR fieldStyle = StyleOf(field);
  const bool bordered = (fieldStyle & WS_BORDER) != 0 ||
                        (GetWindowLongPtrW(field, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
  checks_.Expect((fieldStyle & ES_PASSWORD) != 0 && SendMessageW(field, EM_GETPASSWORDCHAR, 0, 0),
                 language + "the password field masks its input (ES_PASSWORD)");
  checks_.Expect(bordered && (fieldStyle & ES_AUTOHSCROLL) != 0 && (fieldStyle & WS_TABSTOP) != 0,
                 language + "the password field is bordered, scrolls horizontally, is a tab stop");
  for (int id : {IDC_LOGIN, IDC_CANCEL}) {
    const LONG_PTR style = StyleOf(GetDlgItem(dialog, id));
    checks_.Expect(
        (style & BS_TYPEMASK) == BS_PUSHBUTTON && (style & WS_TABSTOP) != 0,
        language + "button " + std::to_string(id) + " is a plain push button and a tab stop");
  }
  HWND icon = GetDlgItem(dialog, IDC_ICON);
  checks_.Expect(
      (StyleOf(icon) & SS_TYPEMASK) == SS_ICON && SendMessageW(icon, STM_GETICON, 0, 0) != 0,
      language + "the icon control shows icon 205");

  HWND label = FindLabel(dialog);
  checks_.Expect(WindowText(dialog) == texts_.caption,
                 language + "caption " + Printable(WindowText(dialog)));
  checks_.Expect(Text(dialog, IDC_LOGIN) == texts_.login,
                 language + "login button " + Printable(Text(dialog, IDC_LOGIN)));
  checks_.Expect(Text(dialog, IDC_CANCEL) == texts_.cancel,
                 language + "cancel button " + Printable(Text(dialog, IDC_CANCEL)));
  checks_.Expect(label != nullptr && WindowText(label) == texts_.label,
                 language + "label " + Printable(label ? WindowText(label) : u""));
  checks_.Expect(Text(dialog, IDC_MESSAGE).empty(), language + "the message line starts empty");

  RECT client;
  GetClientRect(dialog, &client);
  RECT size = {0, 0, 200, 80};
  MapDialogRect(dialog, &size);
  checks_.Expect(client.right == size.right && client.bottom == size.bottom,
                 language + "the dialog is 200 x 80 dialog units");
  CheckPosition(dialog, field, {40, 20, 137, 15}, true, language + "password field");
  CheckPosition(dialog, GetDlgItem(dialog, IDC_LOGIN), {40, 48, 54, 16}, true,
                language + "login button");
  CheckPosition(dialog, GetDlgItem(dialog, IDC_CANCEL), {123, 48, 54, 16}, true,
                language + "cancel button");
  CheckPosition(dialog, GetDlgItem(dialog, IDC_MESSAGE), {41, 37, 133, 11}, true,
                language + "message line");
  if (label != nullptr) {
    const RECT labelUnits = chinese ? RECT{40, 8, 37, 10} : RECT{40, 10, 37, 8};
    CheckPosition(dialog, label, labelUnits, true, language + "label");
  }
  // An icon control takes the size of its icon; only its corner is the template's.
  CheckPosition(dialog, icon, {13, 14, 20, 20}, false, language + "icon");
}

}  // namespace quill::dialog_driver
