// The channel operations the remote-desktop client lends the add-in: the
// Windows client's entry points or FreeRDP's _EX ones, wrapped by each
// platform's shell. Results are the client's channel codes (kChannelOk for
// success).
#pragma once

#include <cstdint>

namespace quill {

class ChannelHost {
 public:
  virtual ~ChannelHost() = default;
  // Opens the relay channel; from then on its events reach the add-in.
  virtual uint32_t OpenChannel() = 0;
  // Closes the channel opened by OpenChannel.
  virtual uint32_t CloseChannel() = 0;
  // Queues bytes for sending. The client reads them later, until it reports
  // the write complete or cancelled with `userData`; they must stay valid
  // and unchanged until then.
  virtual uint32_t WriteChannel(const uint8_t* data, uint32_t length, void* userData) = 0;
};

}  // namespace quill
