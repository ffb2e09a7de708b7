// One connection to a virtual token, made at one discovery.
//
// Shared by the discovery that made it and the device objects opened on it,
// so a device stays safe to use after the next discovery has closed its
// connection: its requests then report kClosed.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "loopback_socket.h"
#include "virtual_hello.h"

namespace quill {

class VirtualConnection {
 public:
  // path: the interface path the connection is listed under.
  VirtualConnection(std::unique_ptr<LoopbackSocket> socket, VirtualHello hello, std::string path);
  ~VirtualConnection();
  VirtualConnection(const VirtualConnection&) = delete;
  VirtualConnection& operator=(const VirtualConnection&) = delete;

  const VirtualHello& hello() const { return hello_; }
  const std::string& path() const { return path_; }

  // Ends the connection. A request waiting on another thread ends at once.
  void Close();

  // One device object at a time is opened on a connection.
  bool TryClaim() { return !claimed_.exchange(true); }
  void Release() { claimed_ = false; }

  // The socket's requests, one at a time; kClosed once Close was called.
  SocketStatus Read(uint8_t* data, size_t length, uint32_t waitMs, size_t* received);
  SocketStatus WriteAll(const uint8_t* data, size_t length, uint32_t waitMs, size_t* written);
  SocketStatus Drain();

 private:
  const VirtualHello hello_;
  const std::string path_;
  std::atomic<bool> closed_{false};
  std::atomic<bool> claimed_{false};
  std::mutex ioMutex_;  // held for each request, and to release the socket
  std::unique_ptr<LoopbackSocket> socket_;
};

}  // namespace quill
