// QUILL_VIRTUAL_CHANNEL=host:port: a loopback endpoint that stands in for the
// remote-desktop channel (for tests and for trying the relay without a
// remote session). Only 127.0.0.1, localhost and [::1] are accepted.
#pragma once

#include "config.h"
#include "ports/monitor_ports.h"

namespace quill {

constexpr char16_t kVirtualChannelVariable[] = u"QUILL_VIRTUAL_CHANNEL";

enum class VirtualChannelSetting {
  kUnset,      // the variable does not exist: use the real channel
  kEndpoint,   // a loopback endpoint was read
  kMalformed,  // set, but not a loopback host:port: use the real channel
};

VirtualChannelSetting ReadVirtualChannelSetting(SystemPort& system, LoopbackEndpoint* endpoint);

}  // namespace quill
