// A TCP connection to a loopback endpoint, with bounded waits.
//
// One implementation per platform (loopback_socket_linux.cpp,
// loopback_socket_win32.cpp); the build picks the file. The socket is
// non-blocking underneath, Nagle's algorithm is off (every request is one small
// write that wants its answer at once), and writes never raise a signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "config.h"

namespace quill {

enum class SocketStatus {
  kOk,       // everything asked for moved
  kTimeout,  // the wait ran out first
  kClosed,   // the peer closed or reset the connection, or it was shut down here
  kFailed,   // any other failure of the socket
};

class LoopbackSocket {
 public:
  virtual ~LoopbackSocket() = default;

  // Waits at most waitMs in total for exactly length bytes. *received says how
  // many arrived, also when the result is not kOk.
  virtual SocketStatus Read(uint8_t* data, size_t length, uint32_t waitMs, size_t* received) = 0;
  // Waits at most waitMs for bytes, then takes what has arrived (at most
  // capacity) in one read: kOk with *received at least 1, kTimeout when
  // nothing came, kClosed when the peer closed the connection.
  virtual SocketStatus ReadSome(uint8_t* data, size_t capacity, uint32_t waitMs,
                                size_t* received) = 0;
  // Waits at most waitMs in total until all length bytes are handed to the
  // system. *written says how many were.
  virtual SocketStatus WriteAll(const uint8_t* data, size_t length, uint32_t waitMs,
                                size_t* written) = 0;
  // Reads and drops whatever bytes are already waiting, without blocking.
  // kClosed when the peer has closed the connection.
  virtual SocketStatus Drain() = 0;
  // Ends both directions. Safe while another thread waits on this socket: its
  // wait ends and its request reports kClosed.
  virtual void Shutdown() = 0;
  // Releases the socket; every later request reports kClosed. Not to be called
  // while another thread uses the socket.
  virtual void Close() = 0;
};

// Connects to endpoint within timeoutMs. "localhost" means 127.0.0.1; a host
// other than 127.0.0.1, localhost or ::1 is refused without any connection
// attempt. nullptr when the connection was refused, timed out or failed.
std::unique_ptr<LoopbackSocket> ConnectLoopback(const LoopbackEndpoint& endpoint,
                                                uint32_t timeoutMs);

}  // namespace quill
