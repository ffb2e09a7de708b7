// What the tray monitor needs of the platform, as small interfaces.
//
// The monitor's logic (app/, browser/, relay/) is written against these
// interfaces only. One implementation per platform: win32/ (the Windows API,
// every registry access through the 32-bit view), fake/ (in-memory and
// recording, for tests). The program's entry point builds one MonitorPorts
// and hands it to the objects it creates; nothing finds its ports by itself.
//
// Wide texts are UTF-16 (std::u16string), as the Windows API has them; 8-bit
// texts are std::string in the code page named where it matters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quill {

// ---------------------------------------------------------------- registry

enum class RegistryRoot { kClassesRoot, kCurrentUser, kLocalMachine };

constexpr uint32_t kRegSz = 1;     // REG_SZ
constexpr uint32_t kRegDword = 4;  // REG_DWORD

enum class RegistryRead {
  kOk,          // the value was read
  kKeyMissing,  // the key could not be opened
  kReadFailed,  // the key opened, the value is missing or larger than offered
};

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  // Whether root\path opens for reading values.
  virtual bool KeyOpens(RegistryRoot root, const std::u16string& path) = 0;
  // Opens root\path and reads the value name (empty: the key's default
  // value), offering `offered` bytes. On kOk, *type and *data hold the
  // value's type and its bytes as stored (at most `offered`). A value larger
  // than offered is a failed read with nothing returned, as the system has it.
  virtual RegistryRead ReadValue(RegistryRoot root, const std::u16string& path,
                                 const std::u16string& name, size_t offered, uint32_t* type,
                                 std::vector<uint8_t>* data) = 0;
  // Opens an existing root\path for setting values and sets name to exactly
  // these bytes (no terminator is added). False when the key does not open or
  // the write fails.
  virtual bool WriteValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                          uint32_t type, const std::vector<uint8_t>& data) = 0;
  // Creates root\path (and the keys above it); true when it exists afterwards.
  virtual bool CreateKey(RegistryRoot root, const std::u16string& path) = 0;
};

// ---------------------------------------------------------------- files

class FilePort {
 public:
  virtual ~FilePort() = default;
  // CreateFileW with GENERIC_READ, no sharing, OPEN_EXISTING: whether it opens.
  virtual bool OpensForReadingUnshared(const std::u16string& path) = 0;
  // CreateFileW with no access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING.
  virtual bool OpensWithoutAccess(const std::u16string& path) = 0;
  // PathFileExistsW.
  virtual bool PathExists(const std::u16string& path) = 0;
};

// ---------------------------------------------------------------- system

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t platformId = 0;  // VER_PLATFORM_WIN32_WINDOWS 1, VER_PLATFORM_WIN32_NT 2
  uint8_t productType = 0;  // VER_NT_WORKSTATION 1
};

constexpr uint16_t kProcessorArchitectureAmd64 = 9;

class SystemPort {
 public:
  virtual ~SystemPort() = default;
  // GetVersionExW with the extended record; false when it fails.
  virtual bool GetVersion(OsVersion* version) = 0;
  // GetSystemInfo's processor architecture.
  virtual uint16_t ProcessorArchitecture() = 0;
  // GetSystemMetrics(SM_SERVERR2).
  virtual int ServerR2Metric() = 0;
  // Whether "IsWow64Process" exists in kernel32 at all.
  virtual bool HasIsWow64Process() = 0;
  // IsWow64Process for the current process (only asked when it exists).
  virtual bool IsWow64Process() = 0;
  // GetModuleFileNameW of the program (at most 260 characters).
  virtual std::u16string ModuleFileName() = 0;
  // SHGetSpecialFolderPathW(CSIDL_COMMON_PROGRAMS), not created; false when
  // the folder is unknown.
  virtual bool CommonProgramsFolder(std::u16string* path) = 0;
  // GetCommandLineW.
  virtual std::u16string CommandLine() = 0;
  // The environment variable's whole value; false when it does not exist.
  virtual bool GetEnvironment(const std::u16string& name, std::u16string* value) = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// ---------------------------------------------------------------- text

enum class CodePage {
  kAnsi,        // CP_ACP
  kThreadAnsi,  // CP_THREAD_ACP
  kChinese936,  // code page 936 (the locale "936" of the C runtime)
};

class TextPort {
 public:
  virtual ~TextPort() = default;
  // Characters the code page lacks become its default character.
  virtual std::string ToNarrow(CodePage codePage, const std::u16string& text) = 0;
  virtual std::u16string ToWide(CodePage codePage, const std::string& text) = 0;
};

// ---------------------------------------------------------------- processes

constexpr int kShowHide = 0;  // SW_HIDE
constexpr int kShowShow = 5;  // SW_SHOW

class ProcessPort {
 public:
  virtual ~ProcessPort() = default;
  // CreateProcessW with no application name and this command line, no
  // inheritance, no flags, the monitor's environment and folder. The handles
  // of the new process are closed by the port. False when the start failed.
  virtual bool Start(const std::u16string& commandLine) = 0;
  // ShellExecuteW with verb "open", no owner window and no working folder;
  // the system's return value (above 32: started; 2: file not found).
  virtual intptr_t ShellOpen(const std::u16string& file, const std::u16string& parameters,
                             int showCommand) = 0;
  // The executable names of the running processes; false when the snapshot
  // cannot be taken.
  virtual bool ProcessNames(std::vector<std::u16string>* names) = 0;
};

// ---------------------------------------------------------------- user interface

// Whose window owns a message box.
enum class BoxOwner { kNone, kMainWindow, kAdvancedPage, kPasswordDialog };

constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbOkCancel = 0x1;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconWarning = 0x30;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  // MessageBoxW; the answer (kIdOk, kIdCancel, ...).
  virtual int Show(BoxOwner owner, const std::u16string& text, const std::u16string& caption,
                   uint32_t flags) = 0;
};

// Texts of the string table by identifier, in the user interface language.
class StringsPort {
 public:
  virtual ~StringsPort() = default;
  virtual std::u16string Load(int id) = 0;
};

// The answer of the Information dialog (the lock question).
enum class LockAnswer { kOk, kCancel, kClosed };

// What the main window's logic asks of the window, the tray and the session.
class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;
  virtual void CenterAndSetIcons() = 0;
  // RegisterDeviceNotificationW for USB device interfaces; false on failure.
  virtual bool RegisterDeviceNotifications() = 0;
  // Inserts the tabs and creates the pages (the Advanced page only when
  // wanted), moves them into place, shows the Basic page.
  virtual void CreatePages(bool advancedPage) = 0;
  // Shows the page of tab 0 or 1, hides the other (when it exists).
  virtual void ShowPage(int tab, bool advancedPageExists) = 0;
  // "ProgMan" as parent, then SW_HIDE.
  virtual void ParentToProgManAndHide() = 0;
  // "ProgMan" as parent, then SW_SHOWMINIMIZED.
  virtual void ParentToProgManAndShowMinimized() = 0;
  // No parent, SW_SHOW, SetForegroundWindow.
  virtual void ShowTopLevel() = 0;
  virtual bool IsMinimized() = 0;
  virtual void SendMinimizeCommand() = 0;  // WM_SYSCOMMAND, SC_MINIMIZE
  virtual void SetTimer(int id, uint32_t milliseconds) = 0;
  virtual void KillTimer(int id) = 0;
  virtual void EndDialog(int result) = 0;
  virtual bool AddTrayIcon() = 0;     // Shell_NotifyIconW NIM_ADD with the record
  virtual bool DeleteTrayIcon() = 0;  // NIM_DELETE with the record
  // Shows the tray menu at the cursor with "Exit" enabled or greyed; the
  // choice arrives later as a command.
  virtual void ShowTrayMenu(bool exitEnabled) = 0;
  virtual void ShowAbout() = 0;
  virtual void RunChangePassword() = 0;
  // The Basic page's RefreshList.
  virtual void RefreshBasicPage() = 0;
  // The Advanced page's RefreshStates.
  virtual void RefreshAdvancedPage() = 0;
  // CMessageBoxInfo, modal, owned by the active window.
  virtual LockAnswer AskLock() = 0;
  // LockWorkStation; on failure *error holds the system's last error.
  virtual bool LockWorkStation(uint32_t* error) = 0;
};

// ---------------------------------------------------------------- remote session

// The remote-desktop relay as the timer's presence check uses it.
class RemotePresencePort {
 public:
  virtual ~RemotePresencePort() = default;
  // Whether the monitor runs in a remote session with the channel open.
  virtual bool Probe() = 0;
  // Asks the client whether the token is attached: 0 when it is.
  virtual int Find() = 0;
};

// ---------------------------------------------------------------- diagnostics

// The support log: one line per decision. The port adds the time stamp and
// the line end; a port that is off drops the lines.
class DiagnosticLogPort {
 public:
  virtual ~DiagnosticLogPort() = default;
  virtual bool Enabled() = 0;
  virtual void Line(const std::string& text) = 0;
};

// ---------------------------------------------------------------- all of them

struct MonitorPorts {
  RegistryPort* registry = nullptr;
  FilePort* files = nullptr;
  SystemPort* system = nullptr;
  TextPort* text = nullptr;
  ProcessPort* processes = nullptr;
  MessageBoxPort* messageBoxes = nullptr;
  StringsPort* strings = nullptr;
  DiagnosticLogPort* log = nullptr;
};

}  // namespace quill
