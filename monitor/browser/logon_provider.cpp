// Which credential provider the last Windows logon went through.
#include <vector>

#include "helper_constants.h"
#include "registry_text.h"
#include "system_helper.h"

namespace quill {

int CSystemHelper::CheckLogonProvider() {
  std::vector<uint8_t> data;
  const RegistryRead read =
      ports_.registry->ReadValue(RegistryRoot::kLocalMachine, helper::kLogonUiKey,
                                 ports_.strings->Load(helper::kIdsLogonProviderValue),
                                 helper::kLogonProviderBytes, nullptr, &data);
  if (read == RegistryRead::kKeyMissing) return kLogonProviderNoKey;
  if (read != RegistryRead::kOk || data.empty()) return kLogonProviderMissing;
  // Exact comparison: a provider spelt in other letter case is another one.
  return RegistryBytesToText(data) == helper::kExpectedLogonProvider ? kLogonProviderExpected
                                                                     : kLogonProviderOther;
}

}  // namespace quill
