// The settings the monitor reads and never writes.
#include <vector>

#include "helper_constants.h"
#include "system_helper.h"

namespace quill {

int CSystemHelper::IsAdvancedPageHidden() {
  std::vector<uint8_t> data;
  if (ports_.registry->ReadValue(RegistryRoot::kCurrentUser, helper::kSettingsKey,
                                 helper::kAdvancedPageValue, helper::kSettingBytes, nullptr,
                                 &data) != RegistryRead::kOk) {
    return 0;
  }
  // The first 16 bits, little-endian, of a zero-filled buffer: a DWORD 1
  // hides the page; a string "1" does not (its first unit is the digit).
  if (data.size() < 2) data.resize(2, 0);
  const unsigned first = data[0] | (data[1] << 8);
  return first == 1 ? 1 : 0;
}

}  // namespace quill
