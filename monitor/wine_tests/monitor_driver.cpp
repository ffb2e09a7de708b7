// monitor_driver.exe: drives lumoMonitor's windows from outside, for the Wine
// tests (tests/wine/run_monitor_tests.sh). A window is named by its class and
// caption ("*" for any); controls by their id (decimal or 0x hex, anywhere
// below the window). Texts come out in UTF-8, one item a line.
//
//   keepalive                              open the desktop and sleep (run in the background)
//   list                                   every top-level window: handle, class, caption, visible
//   children CLASS CAPTION                 the same for every window below it
//   wait CLASS CAPTION MS [shown|hidden|gone|any]
//                                          wait up to MS for the window in that state
//   visible CLASS CAPTION                  exit 0 when shown, 1 when hidden
//   state CLASS CAPTION                    "visible=V iconic=I" (iconic: minimised)
//   parented CLASS CAPTION                 exit 0 when the window has a parent (as a hidden
//                                          window below the shell's "Progman"), 1 when not
//   text CLASS CAPTION [ID|static]         the window's or the control's text (a message
//                                          box's text: ID 0xFFFF; static: every static
//                                          control that has a text, one a line)
//   click CLASS CAPTION ID                 post BM_CLICK to the button
//   command CLASS CAPTION ID               post WM_COMMAND (ID, BN_CLICKED) to the parent of
//                                          control ID, or to the window when it has none
//   check CLASS CAPTION ID 0|1             set a check box, then tell its parent (BN_CLICKED)
//   button CLASS CAPTION ID                "enabled=E checked=C visible=V"
//   settext CLASS CAPTION ID TEXT          WM_SETTEXT to the control
//   devicechange CLASS CAPTION arrival|removal PATH
//                                          WM_DEVICECHANGE with a USB device interface record
//   tray CLASS CAPTION lbuttondblclk|rbuttondown|N
//                                          post the tray message (WM_USER + 5)
//   syscommand CLASS CAPTION minimize|maximize|close|restore
//   key CLASS CAPTION VK                   post WM_KEYDOWN and WM_KEYUP (VK decimal or 0x hex)
//   mouseclick CLASS CAPTION ID X Y        post a left click at X,Y (client pixels) of control
//                                          ID (0: of the window itself), as the mouse does
//   tab CLASS CAPTION INDEX [--notify]     select a tab of the tab control
//   tabcount CLASS CAPTION                 number of tabs
//   rows CLASS CAPTION                     the list view's rows: "ROW<TAB>COL0<TAB>COL1"
//   run EXITFILE PROGRAM [ARG]...          start, wait, write the whole exit code to EXITFILE
//   regvalue HKCU|HKLM|HKCR KEY NAME       a value as a 32-bit program reads it:
//                                          "type=T size=S" and "data=..." (REG_SZ: the
//                                          characters stored; REG_DWORD: decimal)
//   osversion                              what GetVersionExW and GetSystemInfo report:
//                                          "MAJOR MINOR PLATFORM PRODUCT ARCHITECTURE SERVERR2"
//
// Exit status: 0 done (or the condition holds), 1 it does not hold or timed
// out, 2 bad command line, 3 no such window or control.
#include <windows.h>
// windows.h first: the headers below build on its types.
#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command_line_arguments.h"
#include "driver_windows.h"
#include "remote_controls.h"
#include "wide_utf8.h"

namespace quill::monitor_driver {
namespace {

constexpr int kOk = 0;
constexpr int kNo = 1;
constexpr int kUsage = 2;
constexpr int kNotFound = 3;
constexpr UINT kTrayMessage = WM_USER + 5;

const GUID kUsbDeviceInterface = {
    0xa5dcbf10, 0x6530, 0x11d2, {0x90, 0x1f, 0x00, 0xc0, 0x4f, 0xb9, 0x51, 0xed}};

void Write(HANDLE stream, const std::wstring& line) {
  const std::string bytes = WideToUtf8(line + L"\n");
  DWORD written = 0;
  WriteFile(stream, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
void Print(const std::wstring& line) {
  Write(GetStdHandle(STD_OUTPUT_HANDLE), line);
}
void Complain(const std::wstring& line) {
  Write(GetStdHandle(STD_ERROR_HANDLE), L"monitor_driver: " + line);
}

bool ParseNumber(const std::wstring& text, long* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  const long parsed = std::wcstol(text.c_str(), &end, 0);
  if (*end != L'\0') return false;
  *value = parsed;
  return true;
}

std::wstring Hex(const void* pointer) {
  wchar_t text[32];
  wsprintfW(text, L"0x%p", pointer);
  return text;
}

class Command {
 public:
  explicit Command(std::vector<std::wstring> args) : args_(std::move(args)) {}

  int Run() {
    if (args_.size() < 2) return Usage();
    const std::wstring& verb = args_[1];
    if (verb == L"keepalive") return Keepalive();
    if (verb == L"list") return List();
    if (verb == L"run") return RunProgram();
    if (verb == L"regvalue") return RegistryValue();
    if (verb == L"osversion") return OsVersion();
    if (args_.size() < 4) return Usage();
    spec_ = {args_[2], args_[3]};
    if (verb == L"wait") return Wait();
    HWND window = FindTopWindow(spec_);
    if (window == nullptr) {
      Complain(L"no window \"" + spec_.caption + L"\" of class " + spec_.windowClass);
      return kNotFound;
    }
    if (verb == L"visible") return IsWindowVisible(window) ? kOk : kNo;
    if (verb == L"parented") return GetParent(window) != nullptr ? kOk : kNo;
    if (verb == L"children") return Children(window);
    if (verb == L"state") {
      Print(std::wstring(L"visible=") + (IsWindowVisible(window) ? L"1" : L"0") + L" iconic=" +
            (IsIconic(window) ? L"1" : L"0"));
      return kOk;
    }
    if (verb == L"text") return Text(window);
    if (verb == L"click") return Click(window);
    if (verb == L"command") return PostCommand(window);
    if (verb == L"check") return Check(window);
    if (verb == L"button") return Button(window);
    if (verb == L"settext") return SetText(window);
    if (verb == L"devicechange") return DeviceChange(window);
    if (verb == L"tray") return Tray(window);
    if (verb == L"syscommand") return SysCommand(window);
    if (verb == L"key") return Key(window);
    if (verb == L"mouseclick") return MouseClick(window);
    if (verb == L"tab") return Tab(window);
    if (verb == L"tabcount") return TabCount(window);
    if (verb == L"rows") return Rows(window);
    return Usage();
  }

 private:
  int Usage() {
    Complain(L"bad command line (see the head of monitor_driver.cpp)");
    return kUsage;
  }

  // The control id in args_[index], then the control below window.
  HWND Control(HWND window, size_t index) {
    long id = 0;
    if (args_.size() <= index || !ParseNumber(args_[index], &id)) return nullptr;
    HWND control = FindDescendant(window, static_cast<int>(id));
    if (control == nullptr) Complain(L"no control " + args_[index]);
    return control;
  }

  int Keepalive() {
    GetDesktopWindow();
    for (;;) Sleep(60000);
  }

  static void PrintWindow(HWND window) {
    Print(Hex(window) + L"\t" + ClassOf(window) + L"\t" + TextOf(window) + L"\t" +
          (IsWindowVisible(window) ? L"visible" : L"hidden"));
  }

  int List() {
    for (HWND window : FindTopWindows({L"*", L"*"})) PrintWindow(window);
    return kOk;
  }

  int Children(HWND window) {
    for (HWND child : FindDescendantsOfClass(window, L"*")) PrintWindow(child);
    return kOk;
  }

  int Wait() {
    long ms = 0;
    if (args_.size() < 5 || !ParseNumber(args_[4], &ms)) return Usage();
    const std::wstring state = args_.size() > 5 ? args_[5] : L"any";
    if (state != L"any" && state != L"shown" && state != L"hidden" && state != L"gone") {
      return Usage();
    }
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    for (;;) {
      HWND window = FindTopWindow(spec_);
      bool reached;
      if (state == L"gone") {
        reached = window == nullptr;
      } else if (window == nullptr) {
        reached = false;
      } else if (state == L"shown") {
        reached = IsWindowVisible(window) != FALSE;
      } else if (state == L"hidden") {
        reached = IsWindowVisible(window) == FALSE;
      } else {
        reached = true;
      }
      if (reached) return kOk;
      if (GetTickCount64() >= end) return kNo;
      Sleep(50);
    }
  }

  int Text(HWND window) {
    HWND target = window;
    if (args_.size() > 4 && args_[4] == L"static") {
      for (HWND child : FindDescendantsOfClass(window, L"Static")) {
        // An icon or picture holds its resource name, not a text.
        const LONG_PTR type = GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK;
        if (type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE) continue;
        const std::wstring text = TextOf(child);
        if (!text.empty()) Print(text);
      }
      return kOk;
    }
    if (args_.size() > 4) {
      target = Control(window, 4);
      if (target == nullptr) return kNotFound;
    }
    Print(TextOf(target));
    return kOk;
  }

  int Click(HWND window) {
    HWND control = Control(window, 4);
    if (control == nullptr) return kNotFound;
    return PostMessageW(control, BM_CLICK, 0, 0) ? kOk : kNo;
  }

  // As a click would: to the control's parent when there is such a control
  // (a page's button), else to the window itself (a menu command).
  int PostCommand(HWND window) {
    long id = 0;
    if (args_.size() < 5 || !ParseNumber(args_[4], &id)) return Usage();
    HWND control = FindDescendant(window, static_cast<int>(id));
    HWND target = control != nullptr ? GetParent(control) : window;
    return PostMessageW(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(control))
               ? kOk
               : kNo;
  }

  int Check(HWND window) {
    long state = 0;
    if (args_.size() < 6 || !ParseNumber(args_[5], &state)) return Usage();
    HWND control = Control(window, 4);
    if (control == nullptr) return kNotFound;
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(control, BM_SETCHECK, state != 0 ? BST_CHECKED : BST_UNCHECKED, 0,
                        SMTO_ABORTIFHUNG, 2000, &answer);
    return PostMessageW(GetParent(control), WM_COMMAND,
                        MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                        reinterpret_cast<LPARAM>(control))
               ? kOk
               : kNo;
  }

  int Button(HWND window) {
    HWND control = Control(window, 4);
    if (control == nullptr) return kNotFound;
    DWORD_PTR checked = 0;
    SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
    Print(std::wstring(L"enabled=") + (IsWindowEnabled(control) ? L"1" : L"0") + L" checked=" +
          (checked == BST_CHECKED ? L"1" : L"0") + L" visible=" +
          (IsWindowVisible(control) ? L"1" : L"0"));
    return kOk;
  }

  int SetText(HWND window) {
    if (args_.size() < 6) return Usage();
    HWND control = Control(window, 4);
    if (control == nullptr) return kNotFound;
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args_[5].c_str()),
                               SMTO_ABORTIFHUNG, 2000, &answer)
               ? kOk
               : kNo;
  }

  int DeviceChange(HWND window) {
    if (args_.size() < 6) return Usage();
    WPARAM event;
    if (args_[4] == L"arrival") {
      event = DBT_DEVICEARRIVAL;
    } else if (args_[4] == L"removal") {
      event = DBT_DEVICEREMOVECOMPLETE;
    } else {
      return Usage();
    }
    const std::wstring& path = args_[5];
    const size_t size =
        offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof(wchar_t);
    std::vector<unsigned char> bytes(size + sizeof(DEV_BROADCAST_DEVICEINTERFACE_W));
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    record->dbcc_size = static_cast<DWORD>(size);
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_classguid = kUsbDeviceInterface;
    path.copy(record->dbcc_name, path.size());
    DWORD_PTR answer = 0;
    // The removal handler may show the lock question and wait for it: the
    // message has arrived when the wait runs out.
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record),
                            SMTO_NORMAL, 1000, &answer)) {
      return kOk;
    }
    const DWORD error = GetLastError();
    return error == ERROR_TIMEOUT || error == ERROR_SUCCESS ? kOk : kNo;
  }

  int Tray(HWND window) {
    if (args_.size() < 5) return Usage();
    long mouse = 0;
    if (args_[4] == L"lbuttondblclk") {
      mouse = WM_LBUTTONDBLCLK;
    } else if (args_[4] == L"rbuttondown") {
      mouse = WM_RBUTTONDOWN;
    } else if (!ParseNumber(args_[4], &mouse)) {
      return Usage();
    }
    return PostMessageW(window, kTrayMessage, 0, mouse) ? kOk : kNo;
  }

  int SysCommand(HWND window) {
    if (args_.size() < 5) return Usage();
    WPARAM command;
    if (args_[4] == L"minimize") {
      command = SC_MINIMIZE;
    } else if (args_[4] == L"maximize") {
      command = SC_MAXIMIZE;
    } else if (args_[4] == L"close") {
      command = SC_CLOSE;
    } else if (args_[4] == L"restore") {
      command = SC_RESTORE;
    } else {
      return Usage();
    }
    return PostMessageW(window, WM_SYSCOMMAND, command, 0) ? kOk : kNo;
  }

  int Key(HWND window) {
    long key = 0;
    if (args_.size() < 5 || !ParseNumber(args_[4], &key)) return Usage();
    const bool down = PostMessageW(window, WM_KEYDOWN, static_cast<WPARAM>(key), 1) != FALSE;
    const bool up = PostMessageW(window, WM_KEYUP, static_cast<WPARAM>(key), 0xC0000001) != FALSE;
    return down && up ? kOk : kNo;
  }

  // The control (or the window) sees the button go down and up at the point
  // and acts as for a user's click: a tab control selects the tab there and
  // notifies its parent itself.
  int MouseClick(HWND window) {
    long id = 0;
    long x = 0;
    long y = 0;
    if (args_.size() < 7 || !ParseNumber(args_[4], &id) || !ParseNumber(args_[5], &x) ||
        !ParseNumber(args_[6], &y)) {
      return Usage();
    }
    HWND target = window;
    if (id != 0) {
      target = Control(window, 4);
      if (target == nullptr) return kNotFound;
    }
    const LPARAM at = MAKELPARAM(x, y);
    const bool down = PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at) != FALSE;
    const bool up = PostMessageW(target, WM_LBUTTONUP, 0, at) != FALSE;
    return down && up ? kOk : kNo;
  }

  HWND TabControl(HWND window) {
    HWND tab = FindDescendantOfClass(window, WC_TABCONTROLW);
    if (tab == nullptr) Complain(L"no tab control");
    return tab;
  }

  int Tab(HWND window) {
    long index = 0;
    if (args_.size() < 5 || !ParseNumber(args_[4], &index)) return Usage();
    const bool explicitNotify = args_.size() > 5 && args_[5] == L"--notify";
    HWND tab = TabControl(window);
    if (tab == nullptr) return kNotFound;
    return SelectTab(tab, static_cast<int>(index), explicitNotify) ? kOk : kNo;
  }

  int TabCount(HWND window) {
    HWND tab = TabControl(window);
    if (tab == nullptr) return kNotFound;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(tab, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    Print(std::to_wstring(count));
    return kOk;
  }

  int Rows(HWND window) {
    HWND list = FindDescendantOfClass(window, WC_LISTVIEWW);
    if (list == nullptr) {
      Complain(L"no list view");
      return kNotFound;
    }
    std::vector<std::vector<std::wstring>> rows;
    if (!ReadListRows(list, 2, &rows)) {
      Complain(L"the list view could not be read");
      return kNo;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
      Print(std::to_wstring(i) + L"\t" + rows[i][0] + L"\t" + rows[i][1]);
    }
    return kOk;
  }

  static std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring quoted = L"\"";
    for (wchar_t c : arg) {
      if (c == L'"') quoted += L'\\';
      quoted += c;
    }
    return quoted + L"\"";
  }

  int RunProgram() {
    if (args_.size() < 4) return Usage();
    std::wstring commandLine;
    for (size_t i = 3; i < args_.size(); ++i) {
      if (!commandLine.empty()) commandLine += L' ';
      commandLine += Quoted(args_[i]);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      Complain(L"cannot start " + commandLine + L" (error " + std::to_wstring(GetLastError()) +
               L")");
      return kNotFound;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    HANDLE file = CreateFileW(args_[2].c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kNo;
    const std::string text = std::to_string(code) + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    Print(L"exit " + std::to_wstring(code));
    return kOk;
  }

  int RegistryValue() {
    if (args_.size() < 5) return Usage();
    HKEY root;
    if (args_[2] == L"HKCU") {
      root = HKEY_CURRENT_USER;
    } else if (args_[2] == L"HKLM") {
      root = HKEY_LOCAL_MACHINE;
    } else if (args_[2] == L"HKCR") {
      root = HKEY_CLASSES_ROOT;
    } else {
      return Usage();
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, args_[3].c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS) {
      Complain(L"no key " + args_[3]);
      return kNotFound;
    }
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, args_[4].c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size + sizeof(wchar_t));
    if (result == ERROR_SUCCESS) {
      result = RegQueryValueExW(key, args_[4].c_str(), nullptr, &type, data.data(), &size);
    }
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return kNo;
    Print(L"type=" + std::to_wstring(type) + L" size=" + std::to_wstring(size));
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      Print(L"data=" +
            std::wstring(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t)));
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
      DWORD value = 0;
      memcpy(&value, data.data(), sizeof value);
      Print(L"data=" + std::to_wstring(value));
    }
    return kOk;
  }

  int OsVersion() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return kNo;
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    Print(std::to_wstring(version.dwMajorVersion) + L" " + std::to_wstring(version.dwMinorVersion) +
          L" " + std::to_wstring(version.dwPlatformId) + L" " +
          std::to_wstring(version.wProductType) + L" " +
          std::to_wstring(system.wProcessorArchitecture) + L" " +
          std::to_wstring(GetSystemMetrics(SM_SERVERR2)));
    return kOk;
  }

  std::vector<std::wstring> args_;
  WindowSpec spec_;
};

}  // namespace
}  // namespace quill::monitor_driver

int main() {
  return quill::monitor_driver::Command(quill::CommandLineArguments()).Run();
}
