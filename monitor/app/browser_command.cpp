#include "browser_command.h"

#include <cstdint>
#include <vector>

namespace quill {

namespace {

// A REG_SZ value's bytes (UTF-16LE) up to the first zero character.
std::u16string RegistryText(const std::vector<uint8_t>& data) {
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == u'\0') break;
    text.push_back(c);
  }
  return text;
}

std::u16string ReadOpenCommand(RegistryPort& registry, const std::u16string& key) {
  uint32_t type = 0;
  std::vector<uint8_t> data;
  if (registry.ReadValue(RegistryRoot::kClassesRoot, key, u"", kOpenCommandOfferedBytes, &type,
                         &data) != RegistryRead::kOk) {
    return u"";
  }
  return ProgramOfOpenCommand(RegistryText(data));
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
