#include "virtual_channel_setting.h"

#include <string>

namespace quill {

VirtualChannelSetting ReadVirtualChannelSetting(SystemPort& system, LoopbackEndpoint* endpoint) {
  std::u16string value;
  if (!system.GetEnvironment(kVirtualChannelVariable, &value)) return VirtualChannelSetting::kUnset;
  std::string text;
  for (char16_t c : value) {
    if (c == 0 || c > 0x7E) return VirtualChannelSetting::kMalformed;
    text.push_back(static_cast<char>(c));
  }
  return ParseLoopbackEndpoint(text, endpoint) ? VirtualChannelSetting::kEndpoint
                                               : VirtualChannelSetting::kMalformed;
}

}  // namespace quill
