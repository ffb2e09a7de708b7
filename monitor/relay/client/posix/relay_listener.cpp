#include "relay_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quill {
namespace {

constexpr size_t kChunkSize = 4096;

bool WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + written, bytes.size() - written, MSG_NOSIGNAL);
    if (n > 0) {
      written += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

RelayListener::~RelayListener() {
  if (listener_ >= 0) close(listener_);
}

bool RelayListener::Listen(uint16_t port, std::string* error) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) {
    *error = std::strerror(errno);
    return false;
  }
  const int one = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 4) != 0) {
    *error = std::strerror(errno);
    close(listener_);
    listener_ = -1;
    return false;
  }
  socklen_t length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  return true;
}

ServeEnd RelayListener::ServeOne(const ChunkHandler& handler) {
  if (listener_ < 0) return ServeEnd::kAcceptFailed;
  int connection = -1;
  do {
    connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  } while (connection < 0 && errno == EINTR);
  if (connection < 0) return ServeEnd::kAcceptFailed;
  const int one = 1;
  setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

  ServeEnd end = ServeEnd::kPeerClosed;
  uint8_t chunk[kChunkSize];
  for (;;) {
    const ssize_t n = recv(connection, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    std::string reply;
    const bool keepOpen = handler(chunk, static_cast<size_t>(n), &reply);
    if (!reply.empty() && !WriteAll(connection, reply)) {
      end = ServeEnd::kWriteFailed;
      break;
    }
    if (!keepOpen) {
      end = ServeEnd::kHandlerClosed;
      break;
    }
  }
  close(connection);
  return end;
}

void RelayListener::Stop() {
  if (listener_ >= 0) shutdown(listener_, SHUT_RDWR);
}

}  // namespace quill
