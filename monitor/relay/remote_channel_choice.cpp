#include "remote_channel_choice.h"

#include <string>

#include "loopback/loopback_remote_channel.h"
#include "virtual_channel_setting.h"

namespace quill {

std::unique_ptr<RemoteChannelPort> ChooseRemoteChannel(
    SystemPort& system, std::unique_ptr<RemoteChannelPort> platformChannel,
    DiagnosticLogPort* log) {
  LoopbackEndpoint endpoint;
  const VirtualChannelSetting setting = ReadVirtualChannelSetting(system, &endpoint);
  if (setting == VirtualChannelSetting::kEndpoint) {
    if (log != nullptr) log->Line("remote channel: loopback port " + std::to_string(endpoint.port));
    return std::make_unique<LoopbackRemoteChannel>(endpoint);
  }
  if (setting == VirtualChannelSetting::kMalformed && log != nullptr) {
    log->Line("remote channel: QUILL_VIRTUAL_CHANNEL ignored (not a loopback host:port)");
  }
  return platformChannel;
}

}  // namespace quill
