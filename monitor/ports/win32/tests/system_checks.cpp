#include <windows.h>

#include <string>

#include "port_checks.h"
#include "win32_files.h"
#include "win32_message_boxes.h"
#include "win32_processes.h"
#include "win32_system.h"
#include "win32_text.h"

namespace quill {
namespace {

void TextConversions(Checks& checks) {
  Win32TextPort text;
  checks.Expect(text.ToNarrow(CodePage::kChinese936, u"系统") == "\xCF\xB5\xCD\xB3",
                "Chinese text becomes its code page 936 bytes");
  checks.Expect(text.ToWide(CodePage::kChinese936, "\xCF\xB5\xCD\xB3 ok") == u"系统 ok",
                "code page 936 bytes become Chinese text");
  checks.Expect(text.ToNarrow(CodePage::kChinese936, u"a\u0e01") == "a?",
                "a character code page 936 lacks becomes its default character");
  checks.Expect(text.ToNarrow(CodePage::kAnsi, u"http://host/{ID}") == "http://host/{ID}" &&
                    text.ToNarrow(CodePage::kThreadAnsi, u"abc") == "abc",
                "plain text passes the ANSI code pages unchanged");
  checks.Expect(
      text.ToNarrow(CodePage::kAnsi, u"").empty() && text.ToWide(CodePage::kThreadAnsi, "").empty(),
      "empty text stays empty");
  const std::string embedded("a\0b", 3);
  checks.Expect(text.ToWide(CodePage::kAnsi, embedded) == std::u16string(u"a\0b", 3),
                "a zero byte inside the text is converted, not taken as its end");
}

void Environment(Checks& checks) {
  Win32SystemPort system;
  const std::wstring longValue(5000, L'v');
  SetEnvironmentVariableW(L"QUILL_PORT_CHECK_LONG", longValue.c_str());
  std::u16string value;
  checks.Expect(system.GetEnvironment(u"QUILL_PORT_CHECK_LONG", &value) &&
                    value == std::u16string(5000, u'v'),
                "a value of 5000 characters is returned whole");
  SetEnvironmentVariableW(L"QUILL_PORT_CHECK_EMPTY", L"");
  value.assign(1, u'x');
  checks.Expect(system.GetEnvironment(u"QUILL_PORT_CHECK_EMPTY", &value) && value.empty(),
                "a defined but empty variable exists with no text");
  checks.Expect(!system.GetEnvironment(u"QUILL_PORT_CHECK_MISSING", &value),
                "a missing variable does not exist");

  const std::u16string module = system.ModuleFileName();
  checks.Expect(module.size() > 4 && module.find(u'\\') != std::u16string::npos &&
                    module.compare(module.size() - 4, 4, u".exe") == 0,
                "the module file name is the program's full path");
  checks.Expect(system.CommandLine().find(u"monitor_port_checks") != std::u16string::npos,
                "the command line names the program");
  OsVersion version;
  checks.Expect(system.GetVersion(&version) && version.platformId == 2 && version.major >= 5,
                "the version is an NT version");
  checks.Expect(system.HasIsWow64Process(), "IsWow64Process exists");
#ifdef _WIN64
  checks.Expect(!system.IsWow64Process(), "a 64-bit process is not under WOW64");
#endif
  std::u16string programs;
  checks.Expect(system.CommonProgramsFolder(&programs) && !programs.empty(),
                "the common programs folder is known");
}

void Files(Checks& checks) {
  Win32FilePort files;
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"quill_monitor_file_check.txt";
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const std::u16string widePath(reinterpret_cast<const char16_t*>(path.c_str()), path.size());
  checks.Expect(files.PathExists(widePath), "an existing file exists");
  checks.Expect(!files.OpensForReadingUnshared(widePath),
                "a file open elsewhere does not open unshared");
  checks.Expect(files.OpensWithoutAccess(widePath), "it still opens without access");
  CloseHandle(file);
  checks.Expect(files.OpensForReadingUnshared(widePath), "a closed file opens unshared");
  checks.Expect(files.OpensForReadingUnshared(widePath),
                "the port closed its own handle: it opens unshared again");
  DeleteFileW(path.c_str());
  checks.Expect(!files.PathExists(widePath) && !files.OpensWithoutAccess(widePath),
                "a deleted file neither exists nor opens");
}

void Processes(Checks& checks) {
  Win32ProcessPort processes;
  DWORD before = 0;
  DWORD after = 0;
  GetProcessHandleCount(GetCurrentProcess(), &before);
  const bool started = processes.Start(u"cmd.exe /c exit 0");
  GetProcessHandleCount(GetCurrentProcess(), &after);
  checks.Expect(started, "a program is started from its command line");
  checks.Expect(after == before, "no handle of the started process is left open");
  checks.Expect(!processes.Start(u"\"C:\\no\\such\\program.exe\" \"http://x/\""),
                "a missing program is a failed start");

  std::vector<std::u16string> names;
  bool found = false;
  if (processes.ProcessNames(&names)) {
    for (const std::u16string& name : names) found = found || name == u"monitor_port_checks.exe";
  }
  checks.Expect(found, "the running processes include this program by its file name");
  checks.Expect(processes.ShellOpen(u"C:\\no\\such\\helper.exe", u"x.ocx", SW_HIDE) == 2,
                "opening a missing file reports 2, file not found");
}

void BoxOwners(Checks& checks) {
  Win32MessageBoxPort boxes;
  const HWND main = reinterpret_cast<HWND>(0x100);
  const HWND page = reinterpret_cast<HWND>(0x200);
  const HWND password = reinterpret_cast<HWND>(0x300);
  boxes.SetOwnerWindow(BoxOwner::kMainWindow, main);
  boxes.SetOwnerWindow(BoxOwner::kAdvancedPage, page);
  boxes.SetOwnerWindow(BoxOwner::kPasswordDialog, password);
  boxes.SetOwnerWindow(BoxOwner::kNone, main);
  checks.Expect(boxes.OwnerWindow(BoxOwner::kMainWindow) == main &&
                    boxes.OwnerWindow(BoxOwner::kAdvancedPage) == page &&
                    boxes.OwnerWindow(BoxOwner::kPasswordDialog) == password &&
                    boxes.OwnerWindow(BoxOwner::kNone) == nullptr,
                "each owner maps to its own window, and no owner to none");
  boxes.SetOwnerWindow(BoxOwner::kPasswordDialog, nullptr);
  checks.Expect(boxes.OwnerWindow(BoxOwner::kPasswordDialog) == nullptr &&
                    boxes.OwnerWindow(BoxOwner::kMainWindow) == main,
                "a closed dialog owns nothing more; the others keep theirs");
}

}  // namespace

void RunSystemChecks(Checks& checks) {
  checks.Group("text");
  TextConversions(checks);
  checks.Group("system");
  Environment(checks);
  checks.Group("files");
  Files(checks);
  checks.Group("processes");
  Processes(checks);
  checks.Group("message box owners");
  BoxOwners(checks);
}

}  // namespace quill
