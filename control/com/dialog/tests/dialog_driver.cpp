// Shows the real login dialog (template 104 of this program's resources) on
// Wine or Windows and plays its user from a second thread: types into the
// password field, presses Enter, Escape, the close box and both buttons,
// reads the message line and checks the template's layout, against a token
// of the library (QUILL_VIRTUAL_TOKENS points it at virtual ones).
//
//   dialog_driver [--lang en|zh] [--screenshot FILE.bmp] [--no-token]
//   dialog_driver --keepalive
//
// With a token (default password "12345678"), the token is left locked by
// the three wrong passwords at the end. --no-token expects no token at all.
// --lang picks the thread's UI language (and locale) before anything is
// loaded, so the platform picks that language's resources. --screenshot
// saves the dialog as shown after the first wrong password. Prints one line
// per check, then "dialog: N passed, N failed" and "dialog-driver-done";
// exit status 0 only when every check passed, 2 for a bad command line.
// --keepalive only opens the desktop and sleeps: run in the background, it
// keeps Wine's desktop process up between the runs of a test session.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "control_codes.h"
#include "control_strings.h"
#include "dialog_user.h"
#include "driver_checks.h"
#include "library_state.h"
#include "login_dialog.h"
#include "login_dialog_win32.h"
#include "members/members.h"
#include "module_strings.h"
#include "resource_checks.h"
#include "resource_ids.h"
#include "session.h"
#include "token.h"
#include "window_capture.h"

namespace quill::dialog_driver {
namespace {

constexpr char16_t kRightPassword[] = u"12345678";

struct Options {
  UiLanguage language = UiLanguage::kEnglish;
  std::string screenshot;
  bool noToken = false;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--lang" && i + 1 < argc) {
      const std::string value = argv[++i];
      if (value != "en" && value != "zh") return false;
      options->language = value == "zh" ? UiLanguage::kChinese : UiLanguage::kEnglish;
    } else if (arg == "--screenshot" && i + 1 < argc) {
      options->screenshot = argv[++i];
    } else if (arg == "--no-token") {
      options->noToken = true;
    } else {
      return false;
    }
  }
  return true;
}

// The thread's UI language picks the resources on Windows; Wine looks at
// the thread's locale.
void SelectUiLanguage(UiLanguage language) {
  const LANGID id = language == UiLanguage::kChinese
                        ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
                        : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  SetThreadUILanguage(id);
  SetThreadLocale(MAKELCID(id, SORT_DEFAULT));
}

// The codes the error store holds, oldest first.
std::vector<int> StoredCodes() {
  std::vector<int> codes;
  for (size_t i = 0; i < Library().store.Count(); ++i) codes.push_back(Library().store.At(i));
  return codes;
}

int Newest(const std::vector<int>& codes) {
  return codes.empty() ? 0 : codes.back();
}

class Driver {
 public:
  Driver(const Options& options, HINSTANCE module)
      : options_(options),
        module_(module),
        texts_(TextsOf(options.language)),
        user_(checks_, texts_),
        dialog_(module) {}

  int Run() {
    CheckResources(checks_, module_);
    checks_.Expect(ModuleLanguage(module_) == options_.language,
                   std::string("the platform picks the ") + Tag() + " string table");
    CreateOwner();
    ControlPlatform platform = NativeControlPlatform();
    platform.dialog = &dialog_;
    ResetControl(platform);

    CheckNotCreated();
    if (options_.noToken) {
      CheckWithoutToken();
    } else {
      CheckEnterThenWrongThenRight();
      CheckCancelCommands();
      CheckThreeWrongPasswords();
    }
    if (owner_ != nullptr) DestroyWindow(owner_);
    std::printf("dialog: %d passed, %d failed\n", checks_.Passed(), checks_.Failed());
    std::printf("dialog-driver-done\n");
    return checks_.Failed() == 0 ? 0 : 1;
  }

 private:
  const char* Tag() const { return options_.language == UiLanguage::kChinese ? "zh" : "en"; }
  std::string Named(const std::string& what) const { return std::string(Tag()) + ": " + what; }

  // A plain window that is the thread's active window when the dialog opens.
  void CreateOwner() {
    owner_ = CreateWindowExW(0, L"STATIC", L"Quill dialog driver", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             40, 40, 420, 300, nullptr, nullptr, module_, nullptr);
    checks_.Expect(owner_ != nullptr, "the owner window is created");
  }

  // Opens a dialog with open() on this thread while user() plays the user
  // on another; user returns the dialog it worked on, which must then close.
  int WithUser(const std::function<HWND()>& user, const std::function<int()>& open) {
    if (owner_ != nullptr) {
      SetForegroundWindow(owner_);
      SetActiveWindow(owner_);
    }
    HWND worked = nullptr;
    std::thread player([&] {
      worked = user();
      if (worked != nullptr && !user_.WaitClosed(worked)) {
        checks_.Expect(false, Named("the dialog closes when the script is done"));
        user_.Abandon(worked);
      }
    });
    const int code = open();
    player.join();
    return code;
  }

  // What the message line should show, from the module's table as this
  // thread (the dialog's) sees it and from the control's table, which must
  // agree. The user's thread has a language of its own: it must not load
  // these.
  std::u16string WrongPasswordText(int left) const {
    const std::u16string module = ModuleWrongPasswordMessage(module_, left);
    return module == WrongPasswordMessage(left, options_.language) ? module : u"(tables differ)";
  }
  std::u16string NoKeyText() const {
    const std::u16string module = ModuleString(module_, IDS_NO_KEY);
    return module == ControlString(kStringConnectKey, options_.language) ? module
                                                                         : u"(tables differ)";
  }

  void CheckNotCreated() {
    LoginDialogController controller;
    Win32LoginDialog without(GetModuleHandleW(L"ntdll.dll"));
    checks_.Expect(without.Run(controller) == -1,
                   Named("a module without template 104 gives -1 (not created)"));
  }

  void CheckEnterThenWrongThenRight() {
    const std::u16string twoLeft = WrongPasswordText(2);
    const int code = WithUser(
        [&]() -> HWND {
          HWND dialog = user_.WaitForDialog();
          if (!checks_.Expect(dialog != nullptr, Named("the dialog appears"))) return nullptr;
          user_.CheckTemplate(dialog, owner_);
          // Enter between the field's text and one more typed character: the
          // character arrives only after the Enter was handled.
          user_.SetPasswordField(dialog, u"1234567");
          user_.PressKey(dialog, VK_RETURN);
          user_.TypeCharacter(dialog, u'8');
          checks_.Expect(user_.WaitForField(dialog, kRightPassword),
                         Named("keys typed after Enter reach the field"));
          checks_.Expect(IsWindow(dialog) && user_.Text(dialog, IDC_MESSAGE).empty(),
                         Named("Enter neither submits nor ends the dialog"));

          user_.SetPasswordField(dialog, u"1234567");
          user_.Click(dialog, IDC_LOGIN);
          const std::u16string shown = user_.Text(dialog, IDC_MESSAGE);
          checks_.Expect(shown == twoLeft, Named("a wrong password shows ") + Printable(shown));
          user_.SetPasswordField(dialog, kRightPassword);
          user_.Click(dialog, IDC_LOGIN);
          return dialog;
        },
        [] { return QuillOpenEx(); });
    checks_.Expect(code == 0,
                   Named("the right password ends the dialog with 0, got ") + std::to_string(code));
    checks_.Expect(LoginAttemptsLeft() == kLoginAttempts,
                   Named("a login restores the three attempts"));
  }

  void CheckCancelCommands() {
    struct Way {
      const char* name;
      std::function<void(HWND)> press;
    };
    const Way ways[] = {
        {"the cancel button", [&](HWND dialog) { user_.Click(dialog, IDC_CANCEL); }},
        {"Escape", [&](HWND dialog) { user_.PressKey(dialog, VK_ESCAPE); }},
        {"the close box", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Way& way : ways) {
      const int code = WithUser(
          [&]() -> HWND {
            HWND dialog = user_.WaitForDialog();
            if (dialog != nullptr) way.press(dialog);
            return dialog;
          },
          [] { return QuillOpenEx(); });
      checks_.Expect(
          code == kLoginEndCancelled,
          Named(std::string(way.name) + " ends the dialog with 2, got ") + std::to_string(code));
    }
  }

  void CheckThreeWrongPasswords() {
    const std::u16string expected[] = {u"", WrongPasswordText(2), WrongPasswordText(1)};
    TokenSetLastError(0);
    const int code = WithUser(
        [&]() -> HWND {
          HWND dialog = user_.WaitForDialog();
          if (!checks_.Expect(dialog != nullptr, Named("the dialog appears again"))) return nullptr;
          for (int attempt = 1; attempt <= kLoginAttempts; ++attempt) {
            user_.SetPasswordField(dialog, u"wrong-" + std::u16string(1, u'0' + attempt));
            user_.Click(dialog, IDC_LOGIN);
            if (attempt == kLoginAttempts) break;
            const std::u16string shown = user_.Text(dialog, IDC_MESSAGE);
            checks_.Expect(
                shown == expected[attempt],
                Named("wrong password ") + std::to_string(attempt) + " shows " + Printable(shown));
            checks_.Expect(IsWindow(dialog), Named("the dialog stays open"));
            if (attempt == 1 && !options_.screenshot.empty()) Screenshot(dialog);
          }
          return dialog;
        },
        [] { return QuillOpenEx(); });
    checks_.Expect(
        code == kLoginEndCancelled,
        Named("the third wrong password ends the dialog with 2, got ") + std::to_string(code));
    // Each login starts the store afresh: it holds the last login's codes,
    // then 4119 (TokenGetLastError, the oldest, gives the token's own code).
    std::string listed;
    for (int stored : StoredCodes()) listed += " " + std::to_string(stored);
    checks_.Expect(Newest(StoredCodes()) == CTL_DIALOG_WRONG_PIN,
                   Named("the error store ends with 4119:") + listed);
    checks_.Expect(LoginAttemptsLeft() == 0, Named("no attempts are left"));
  }

  void CheckWithoutToken() {
    TokenSetLastError(0);
    checks_.Expect(QuillOpenEx() == 1 && Newest(StoredCodes()) == CTL_NO_TOKEN,
                   Named("without a token QuillOpenEx gives 1 and records 4097"));
    // The token may go between the presence check and the login: the dialog
    // then asks for it and stays open.
    TokenSetLastError(0);
    LoginDialogController controller;
    const std::u16string noKey = NoKeyText();
    const int code = WithUser(
        [&]() -> HWND {
          HWND dialog = user_.WaitForDialog();
          if (!checks_.Expect(dialog != nullptr, Named("the dialog appears"))) return nullptr;
          user_.SetPasswordField(dialog, kRightPassword);
          user_.Click(dialog, IDC_LOGIN);
          const std::u16string shown = user_.Text(dialog, IDC_MESSAGE);
          checks_.Expect(shown == noKey, Named("no token shows ") + Printable(shown));
          checks_.Expect(IsWindow(dialog), Named("the dialog stays open"));
          if (!options_.screenshot.empty()) Screenshot(dialog);
          user_.Click(dialog, IDC_CANCEL);
          return dialog;
        },
        [&] { return dialog_.Run(controller); });
    checks_.Expect(code == kLoginEndCancelled, Named("then cancel ends it with 2"));
    checks_.Expect(Newest(StoredCodes()) == CTL_NO_TOKEN && LoginAttemptsLeft() == kLoginAttempts,
                   Named("the login recorded 4097 and kept three attempts"));
  }

  void Screenshot(HWND dialog) {
    Sleep(400);  // let the dialog's thread paint the new message line
    const int colours = CaptureWindowToBmp(dialog, options_.screenshot);
    checks_.Expect(colours >= 3, Named("screenshot ") + options_.screenshot + " (" +
                                     std::to_string(colours) + " colours)");
  }

  Options options_;
  HINSTANCE module_;
  Checks checks_;
  DialogTexts texts_;
  DialogUser user_;
  Win32LoginDialog dialog_;
  HWND owner_ = nullptr;
};

}  // namespace
}  // namespace quill::dialog_driver

int main(int argc, char** argv) {
  using namespace quill::dialog_driver;
  if (argc == 2 && std::strcmp(argv[1], "--keepalive") == 0) {
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
  }
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: dialog_driver [--lang en|zh] [--screenshot FILE.bmp] [--no-token]\n");
    return 2;
  }
  SelectUiLanguage(options.language);
  Driver driver(options, GetModuleHandleW(nullptr));
  return driver.Run();
}
