// The listening side of the loopback channel (POSIX sockets): listens on
// 127.0.0.1 and serves one connection at a time, handing each chunk of bytes
// received to a handler that says what to write back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace quill {

// Given the bytes just received, stores in *reply the bytes to write (maybe
// none); returns false to close the connection after writing them.
using ChunkHandler = std::function<bool(const uint8_t* data, size_t length, std::string* reply)>;

enum class ServeEnd {
  kPeerClosed,     // the other end closed the connection (or it failed)
  kHandlerClosed,  // the handler asked to close
  kWriteFailed,    // a reply could not be written
  kAcceptFailed,   // no connection was accepted (also after Stop)
};

class RelayListener {
 public:
  RelayListener() = default;
  RelayListener(const RelayListener&) = delete;
  RelayListener& operator=(const RelayListener&) = delete;
  ~RelayListener();

  // Listens on 127.0.0.1:port (0: a free port). On failure *error says why.
  bool Listen(uint16_t port, std::string* error);
  // The port listened on.
  uint16_t Port() const { return port_; }
  // Waits for one connection and serves it until it ends.
  ServeEnd ServeOne(const ChunkHandler& handler);
  // Ends a wait in ServeOne from another thread; later calls fail at once.
  void Stop();

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
};

}  // namespace quill
