// A TCP connection to a loopback endpoint that carries exactly the bytes a
// remote-desktop channel would: each read hands back what has arrived, as one
// channel read does. One implementation per platform (channel_socket_posix.cpp,
// channel_socket_winsock.cpp); the build picks the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "config.h"
#include "remote_channel_port.h"

namespace quill {

class ChannelSocket {
 public:
  virtual ~ChannelSocket() = default;  // closes the connection
  // Hands all bytes to the system within waitMs; false when that failed.
  virtual bool Send(const uint8_t* data, size_t length, uint32_t waitMs) = 0;
  // Waits at most waitMs for bytes, then takes what has arrived (at most
  // capacity). kBroken when the peer closed the connection or it failed.
  virtual ChannelRead ReceiveSome(uint8_t* buffer, size_t capacity, uint32_t waitMs,
                                  size_t* received) = 0;
};

// Connects within timeoutMs; nullptr when refused, timed out or failed. A
// host other than 127.0.0.1, localhost or ::1 is refused without an attempt.
std::unique_ptr<ChannelSocket> ConnectChannelSocket(const LoopbackEndpoint& endpoint,
                                                    uint32_t timeoutMs);

}  // namespace quill
