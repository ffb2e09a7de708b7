#include "virtual_connection.h"

#include <utility>

namespace quill {

VirtualConnection::VirtualConnection(std::unique_ptr<LoopbackSocket> socket, VirtualHello hello,
                                     std::string path)
    : hello_(std::move(hello)), path_(std::move(path)), socket_(std::move(socket)) {}

VirtualConnection::~VirtualConnection() {
  Close();
}

void VirtualConnection::Close() {
  if (closed_.exchange(true)) return;
  // Shutting down first wakes a request that holds the lock; then the socket
  // can be released without pulling it from under that request.
  socket_->Shutdown();
  std::lock_guard<std::mutex> hold(ioMutex_);
  socket_->Close();
}

SocketStatus VirtualConnection::Read(uint8_t* data, size_t length, uint32_t waitMs,
                                     size_t* received) {
  std::lock_guard<std::mutex> hold(ioMutex_);
  *received = 0;
  if (closed_) return SocketStatus::kClosed;
  return socket_->Read(data, length, waitMs, received);
}

SocketStatus VirtualConnection::WriteAll(const uint8_t* data, size_t length, uint32_t waitMs,
                                         size_t* written) {
  std::lock_guard<std::mutex> hold(ioMutex_);
  *written = 0;
  if (closed_) return SocketStatus::kClosed;
  return socket_->WriteAll(data, length, waitMs, written);
}

SocketStatus VirtualConnection::Drain() {
  std::lock_guard<std::mutex> hold(ioMutex_);
  if (closed_) return SocketStatus::kClosed;
  return socket_->Drain();
}

}  // namespace quill
