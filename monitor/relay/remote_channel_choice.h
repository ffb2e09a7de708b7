// Which channel the relay talks over: the loopback stand-in when
// QUILL_VIRTUAL_CHANNEL names a loopback endpoint, otherwise the platform's
// own. A malformed value is ignored, with one line in the log (when given)
// that names the variable but not its value.
#pragma once

#include <memory>

#include "ports/monitor_ports.h"
#include "remote_channel_port.h"

namespace quill {

std::unique_ptr<RemoteChannelPort> ChooseRemoteChannel(
    SystemPort& system, std::unique_ptr<RemoteChannelPort> platformChannel,
    DiagnosticLogPort* log = nullptr);

}  // namespace quill
