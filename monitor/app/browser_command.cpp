#include "browser_command.h"

#include <cstdint>
#include <vector>

#include "browser/registry_text.h"

namespace quill {

namespace {

std::u16string ReadOpenCommand(RegistryPort& registry, const std::u16string& key) {
  uint32_t type = 0;
  std::vector<uint8_t> data;
  if (registry.ReadValue(RegistryRoot::kClassesRoot, key, u"", kOpenCommandOfferedBytes, &type,
                         &data) != RegistryRead::kOk) {
    return u"";
  }
  return ProgramOfOpenCommand(RegistryBytesToText(data));
}

}  // namespace

std::u16string ProgramOfOpenCommand(const std::u16string& command) {
  if (command.empty() || command[0] != u'"') return command;
  size_t closing = command.find(u'"', 1);
  if (closing == std::u16string::npos) return command;
  return command.substr(0, closing + 1);
}

std::u16string ReadHttpCommand(RegistryPort& registry) {
  return ReadOpenCommand(registry, kHttpOpenCommandKey);
}

std::u16string ReadIeCommand(RegistryPort& registry) {
  if (!registry.KeyOpens(RegistryRoot::kClassesRoot, kIeOpenCommandKey)) return u"";
  return ReadOpenCommand(registry, kIeOpenCommandKey);
}

int ReadEnvironmentCommand(SystemPort& system, const std::u16string& name, std::u16string* value) {
  std::u16string read;
  if (!system.GetEnvironment(name, &read) || read.empty()) return 1;
  if (read.size() > kMaxEnvironmentCommandCharacters) return 2;
  if (value != nullptr) *value = read;
  return 0;
}

}  // namespace quill
