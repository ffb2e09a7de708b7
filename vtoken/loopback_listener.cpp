#include "loopback_listener.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "socket_io.h"

namespace quill {

LoopbackListener::~LoopbackListener() {
  Close();
}

bool LoopbackListener::Open(uint16_t port, std::string* error) {
  if (IsOpen()) return true;
  uint16_t bound = 0;
  const int fd = ListenLoopback(port, &bound, error);
  if (fd < 0) return false;
  listenFd_ = fd;
  port_ = bound;
  closing_ = false;
  return true;
}

void LoopbackListener::Serve(ConnectionHandler handler) {
  if (!IsOpen() || acceptThread_.joinable()) return;
  handler_ = std::move(handler);
  acceptThread_ = std::thread(&LoopbackListener::AcceptLoop, this);
}

void LoopbackListener::Close() {
  if (!IsOpen()) return;
  closing_ = true;
  // A shut-down listening socket makes a blocked accept return at once.
  shutdown(listenFd_, SHUT_RDWR);
  if (acceptThread_.joinable()) acceptThread_.join();
  close(listenFd_);
  listenFd_ = -1;

  std::list<std::unique_ptr<Connection>> open;
  {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    for (auto& connection : connections_) {
      if (connection->fd >= 0) shutdown(connection->fd, SHUT_RDWR);
    }
    open.swap(connections_);
  }
  for (auto& connection : open) connection->thread.join();
}

void LoopbackListener::AcceptLoop() {
  while (!closing_) {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      break;
    }
    if (closing_) {
      close(fd);
      break;
    }
    SetNoDelay(fd);
    JoinFinished();
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    connections_.push_back(std::make_unique<Connection>());
    Connection* connection = connections_.back().get();
    connection->fd = fd;
    connection->thread = std::thread(&LoopbackListener::ServeConnection, this, connection);
  }
}

void LoopbackListener::ServeConnection(Connection* connection) {
  handler_(connection->fd);
  std::lock_guard<std::mutex> lock(connectionsMutex_);
  close(connection->fd);
  connection->fd = -1;
  connection->finished = true;
}

void LoopbackListener::JoinFinished() {
  std::list<std::unique_ptr<Connection>> finished;
  {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
      if ((*it)->finished) {
        finished.push_back(std::move(*it));
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& connection : finished) connection->thread.join();
}

}  // namespace quill
