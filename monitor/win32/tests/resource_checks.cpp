// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <string>
#include <vector>

#include "resource_ids.h"
#include "shell_checks.h"

namespace quill {
namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID kChineseSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
const LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_NEUTRAL);

const int kStringIds[] = {104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116,
                          117, 118, 119, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131,
                          132, 134, 135, 136, 137, 138, 139, 140, 141, 142, 144, 145, 146,
                          147, 148, 149, 150, 151, 152, 153, 154, 155, 156, 157, 160};

// String `id` of the string table stored under exactly this language; the
// table is kept in blocks of 16 counted strings.
bool StringIn(LANGID language, int id, std::wstring* text) {
  const HRSRC found = FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
  if (found == nullptr) return false;
  const auto* block = static_cast<const WCHAR*>(LockResource(LoadResource(nullptr, found)));
  if (block == nullptr) return false;
  for (int i = 0; i < id % 16; ++i) block += 1 + *block;
  if (*block == 0) return false;
  text->assign(block + 1, *block);
  return true;
}

void StringTable(Checks& checks) {
  for (const int id : kStringIds) {
    std::wstring english;
    std::wstring chinese;
    checks.Expect(StringIn(kEnglish, id, &english) && !english.empty(),
                  "English string " + std::to_string(id));
    checks.Expect(StringIn(kChinese, id, &chinese) && !chinese.empty(),
                  "Chinese string " + std::to_string(id) + " (primary language Chinese)");
  }
  // Texts other programs and the registry rely on: the same in both languages.
  const struct {
    int id;
    const wchar_t* text;
  } fixed[] = {{117, L"6AAEEBD3-838D-4A35-9571-26EFC79882ED"},
               {122, L"B328"},
               {123, L"04B4"},
               {124, L"lumoMonitor.exe"},
               {125, L"lumoMonitor"},
               {127, L"lumoPlugin.xpi"},
               {128, L"lumoPlugin.crx"},
               {139, L"lumoActiveX.x64.ocx"},
               {140, L"lumoActiveX.win32.ocx"},
               {144, L"lumoMonitor"},
               {147, L"B708"},
               {149, L"B812"},
               {150, L"B826"},
               {151, L"LastLoggedOnProvider"}};
  for (const auto& entry : fixed) {
    std::wstring english;
    std::wstring chinese;
    StringIn(kEnglish, entry.id, &english);
    StringIn(kChinese, entry.id, &chinese);
    checks.Expect(english == entry.text && chinese == entry.text,
                  "string " + std::to_string(entry.id) + " is the same fixed text in both");
  }
  std::wstring english;
  std::wstring chinese;
  StringIn(kEnglish, IDS_QUIT_QUESTION, &english);
  StringIn(kChinese, IDS_QUIT_QUESTION, &chinese);
  checks.Expect(english == L"Do you want to quit?" && chinese == L"是否确定退出本程序",
                "the quit question in both languages");
  StringIn(kChinese, IDS_COMMENTS, &chinese);
  checks.Expect(chinese == L"备       注", "inner blanks of a Chinese text are kept");
}

void DialogsAndMenu(Checks& checks) {
  const int dialogs[] = {IDD_ABOUTBOX,      IDD_MAINDLG,         IDD_BASIC_PAGE,
                         IDD_ADVANCED_PAGE, IDD_MODIFY_PASSWORD, IDD_MESSAGEBOX_INFO};
  for (const int id : dialogs) {
    checks.Expect(FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(id), kEnglish) != nullptr &&
                      FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(id),
                                      kChineseSimplified) != nullptr,
                  "dialog " + std::to_string(id) + " in English and Chinese (PRC)");
  }
  checks.Expect(
      FindResourceExW(nullptr, RT_MENU, MAKEINTRESOURCEW(IDR_TRAY_MENU), kEnglish) != nullptr &&
          FindResourceExW(nullptr, RT_MENU, MAKEINTRESOURCEW(IDR_TRAY_MENU), kChineseSimplified) !=
              nullptr,
      "the tray menu in English and Chinese (PRC)");

  const HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU));
  const HMENU popup = menu != nullptr ? GetSubMenu(menu, 0) : nullptr;
  const UINT expected[] = {ID_TRAY_OPENURL,       ID_TRAY_CHANGEPASSWORD, ID_TRAY_SHOWMAIN,
                           static_cast<UINT>(-1), ID_TRAY_ABOUT,          ID_TRAY_EXIT};
  bool inOrder = popup != nullptr && GetMenuItemCount(popup) == 6;
  for (int i = 0; inOrder && i < 6; ++i) {
    const UINT id = GetMenuItemID(popup, i);
    inOrder = expected[i] == static_cast<UINT>(-1)
                  ? (GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR) != 0
                  : id == expected[i];
  }
  checks.Expect(inOrder, "the tray popup holds its five commands and the separator in order");
  if (menu != nullptr) DestroyMenu(menu);
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

bool HasControl(HWND dialog, int id, const wchar_t* className, LONG style = 0) {
  const HWND control = GetDlgItem(dialog, id);
  return control != nullptr && ClassOf(control) == className &&
         (GetWindowLongW(control, GWL_STYLE) & style) == style;
}

// Creates the dialogs as the program does (with only the bar classes
// initialised) in the thread's current interface language.
void CreatedDialogs(Checks& checks, const wchar_t* passwordCaption, const char* language) {
  const std::string tag = std::string(" (") + language + ")";
  const HINSTANCE module = GetModuleHandleW(nullptr);
  const HWND main =
      CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_MAINDLG), nullptr, QuietDialog, 0);
  checks.Expect(main != nullptr, "the main dialog is created" + tag);
  if (main == nullptr) return;
  const LONG mainStyle = GetWindowLongW(main, GWL_STYLE);
  checks.Expect(TextOf(main) == L"lumoMonitor" && (mainStyle & WS_MINIMIZEBOX) != 0 &&
                    (mainStyle & WS_MAXIMIZEBOX) == 0 && (mainStyle & WS_SYSMENU) != 0,
                "main window: caption lumoMonitor, minimise box, no maximise box" + tag);
  checks.Expect(HasControl(main, IDC_TAB, WC_TABCONTROLW), "the tab control exists" + tag);
  const HWND tab = GetDlgItem(main, IDC_TAB);

  const HWND basic =
      CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_BASIC_PAGE), tab, QuietDialog, 0);
  checks.Expect(basic != nullptr && HasControl(basic, IDC_LIST, WC_LISTVIEWW, LVS_REPORT),
                "the Basic page holds a report list view" + tag);

  const HWND advanced =
      CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_ADVANCED_PAGE), tab, QuietDialog, 0);
  bool buttons = advanced != nullptr;
  for (const int id : {IDC_FIX_IE32, IDC_FIX_IE64, IDC_FIREFOX, IDC_CHROME, IDC_SAVE}) {
    buttons = buttons && HasControl(advanced, id, L"Button");
  }
  checks.Expect(buttons && HasControl(advanced, IDC_AUTOSTART, L"Button", BS_AUTOCHECKBOX),
                "the Advanced page's buttons and auto-start check box" + tag);

  const HWND password =
      CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_MODIFY_PASSWORD), main, QuietDialog, 0);
  bool fields = password != nullptr;
  for (const int id : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD}) {
    fields = fields && HasControl(password, id, L"Edit", ES_PASSWORD | ES_AUTOHSCROLL);
  }
  checks.Expect(
      fields && HasControl(password, IDC_OK, L"Button") &&
          (GetWindowLongW(GetDlgItem(password, IDC_OK), GWL_STYLE) & 0xF) == BS_PUSHBUTTON,
      "Change Password: three password fields and a plain OK button" + tag);
  checks.Expect(password != nullptr && TextOf(password) == passwordCaption,
                "Change Password's caption follows the interface language" + tag);

  const HWND info =
      CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_MESSAGEBOX_INFO), main, QuietDialog, 0);
  checks.Expect(info != nullptr && (GetWindowLongW(info, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 &&
                    HasControl(info, IDC_OK, L"Button", BS_DEFPUSHBUTTON) &&
                    HasControl(info, IDC_CANCEL, L"Button") &&
                    HasControl(info, IDC_INFO_ICON, L"Static", SS_ICON),
                "Information: topmost, default OK, Cancel and the icon" + tag);

  const HWND about =
      CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_ABOUTBOX), main, QuietDialog, 0);
  checks.Expect(about != nullptr && HasControl(about, IDOK, L"Button", BS_DEFPUSHBUTTON),
                "About: a default OK button with id 1" + tag);
  DestroyWindow(main);  // and the windows it owns
}

// The thread's interface language picks the resources on Windows; Wine
// looks at the thread's locale.
void SelectLanguage(LANGID language) {
  SetThreadUILanguage(language);
  SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
}

void ImagesVersionManifest(Checks& checks) {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  for (const int id : {IDI_MAIN, IDI_INFO}) {
    const HICON icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR));
    checks.Expect(icon != nullptr, "icon " + std::to_string(id) + " loads at 48 x 48");
    if (icon != nullptr) DestroyIcon(icon);
  }

  const HRSRC version = FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION);
  const auto* bytes = version != nullptr
                          ? static_cast<const char*>(LockResource(LoadResource(module, version)))
                          : nullptr;
  const DWORD size = version != nullptr ? SizeofResource(module, version) : 0;
  auto holds = [&](const std::wstring& text) {
    if (bytes == nullptr) return false;
    const std::wstring all(reinterpret_cast<const wchar_t*>(bytes), size / sizeof(wchar_t));
    return all.find(text) != std::wstring::npos;
  };
  checks.Expect(holds(L"lumoMonitor.exe") && holds(L"ProductName") && holds(L"InternalName"),
                "the version information names the program");
  const auto* fixed =
      bytes != nullptr
          ? reinterpret_cast<const VS_FIXEDFILEINFO*>(bytes + 40)  // after the root block's header
          : nullptr;
  checks.Expect(fixed != nullptr && fixed->dwSignature == 0xFEEF04BD &&
                    fixed->dwFileVersionMS == MAKELONG(2, 3) &&
                    fixed->dwFileVersionLS == MAKELONG(1024, 0),
                "file version 3.2.0.1024");

  const HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  std::string text;
  if (manifest != nullptr) {
    text.assign(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                SizeofResource(module, manifest));
  }
#ifdef _WIN64
  const char* architecture = "processorArchitecture=\"amd64\"";
#else
  const char* architecture = "processorArchitecture=\"x86\"";
#endif
  checks.Expect(text.find("asInvoker") != std::string::npos &&
                    text.find("uiAccess=\"false\"") != std::string::npos &&
                    text.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
                    text.find(architecture) != std::string::npos,
                "the manifest: as invoker, common controls 6 for this architecture");
}

}  // namespace

void RunResourceChecks(Checks& checks) {
  checks.Group("resources");
  StringTable(checks);
  DialogsAndMenu(checks);
  ImagesVersionManifest(checks);
  checks.Group("dialogs as created");
  SelectLanguage(kEnglish);
  CreatedDialogs(checks, L"Change Password", "English");
  SelectLanguage(kChineseSimplified);
  CreatedDialogs(checks, L"修改密码", "Chinese");
  SelectLanguage(kEnglish);
}

}  // namespace quill
