// Small helpers over POSIX TCP sockets on the loopback interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quill {

// A listening socket on 127.0.0.1:port (0: an ephemeral port), with
// SO_REUSEADDR so that a port can be taken again while old connections
// linger. Returns the descriptor and the bound port, or -1 with a message.
int ListenLoopback(uint16_t port, uint16_t* boundPort, std::string* error);

// A connected socket to 127.0.0.1:port with TCP_NODELAY, or -1.
int ConnectLoopback(uint16_t port);

void SetNoDelay(int fd);

// Reads exactly length bytes; false on end of stream or error.
bool ReadExactly(int fd, uint8_t* buffer, size_t length);
// Writes every byte; false on error. Never raises SIGPIPE.
bool WriteAll(int fd, const uint8_t* buffer, size_t length);
bool WriteAll(int fd, const std::string& text);

}  // namespace quill
