// Handing the Firefox extension package to Firefox.
#include <vector>

#include "helper_constants.h"
#include "registry_text.h"
#include "system_helper.h"

namespace quill {

namespace {

constexpr intptr_t kShellStarted = 32;  // ShellExecuteW results above this mean started

// The executable of an open command: the text between its leading double
// quote and the next one (or the end). A command without a leading quote
// names no executable.
std::u16string QuotedExecutable(const std::u16string& command) {
  if (command.empty() || command[0] != u'"') return u"";
  const size_t closing = command.find(u'"', 1);
  return command.substr(1, closing == std::u16string::npos ? std::u16string::npos : closing - 1);
}

std::u16string Quoted(const std::u16string& text) {
  return u"\"" + text + u"\"";
}

}  // namespace

int CSystemHelper::InstallFirefoxPlugin() {
  std::vector<uint8_t> data;
  std::u16string executable;
  if (ports_.registry->ReadValue(RegistryRoot::kCurrentUser, helper::kFirefoxCommandKey, u"",
                                 helper::kBrowserCommandBytes, nullptr,
                                 &data) == RegistryRead::kOk) {
    executable = QuotedExecutable(RegistryBytesToText(data));
  }

  std::u16string package;
  if (!PathBelowMonitor(helper::kMozillaFolder + ports_.strings->Load(helper::kIdsFirefoxPackage),
                        &package)) {
    return 0;
  }
  if (FileExists(package) == 0) return 0;

  ProcessPort& processes = *ports_.processes;
  if (FileExistsAnsi(executable) == 1 &&
      processes.ShellOpen(Quoted(executable), Quoted(package), kShowShow) > kShellStarted) {
    return 1;
  }

  std::u16string shortcut;
  if (FirefoxShortcutPath(&shortcut) && ports_.files->PathExists(shortcut)) {
    processes.ShellOpen(shortcut, Quoted(package), kShowShow);
    return 1;
  }
  return 0;
}

}  // namespace quill
