// The registry as the monitor sees it: every key is opened in the 32-bit
// view (KEY_WOW64_32KEY), the view the 32-bit program has on 64-bit Windows.
#pragma once

#include "ports/monitor_ports.h"

namespace quill {

class Win32RegistryPort : public RegistryPort {
 public:
  bool KeyOpens(RegistryRoot root, const std::u16string& path) override;
  RegistryRead ReadValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                         size_t offered, uint32_t* type, std::vector<uint8_t>* data) override;
  bool WriteValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                  uint32_t type, const std::vector<uint8_t>& data) override;
  bool CreateKey(RegistryRoot root, const std::u16string& path) override;
};

}  // namespace quill
