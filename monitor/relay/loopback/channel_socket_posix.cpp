// The loopback channel over POSIX sockets.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "channel_socket.h"

namespace quill {
namespace {

class Deadline {
 public:
  explicit Deadline(uint32_t waitMs)
      : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs)) {}
  int RemainingMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          end_ - std::chrono::steady_clock::now())
                          .count();
    return left > 0 ? static_cast<int>(left) : 0;
  }

 private:
  std::chrono::steady_clock::time_point end_;
};

// 1: ready (or an error or hang-up, which the next call reports), 0: timeout,
// -1: the wait failed.
int WaitFor(int fd, short events, const Deadline& deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int result = poll(&entry, 1, deadline.RemainingMs());
    if (result > 0) return 1;
    if (result == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

class PosixChannelSocket : public ChannelSocket {
 public:
  explicit PosixChannelSocket(int fd) : fd_(fd) {}
  ~PosixChannelSocket() override { close(fd_); }

  bool Send(const uint8_t* data, size_t length, uint32_t waitMs) override {
    const Deadline deadline(waitMs);
    size_t written = 0;
    while (written < length) {
      const ssize_t n = send(fd_, data + written, length - written, MSG_DONTWAIT | MSG_NOSIGNAL);
      if (n >= 0) {
        written += static_cast<size_t>(n);
        continue;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
      if (WaitFor(fd_, POLLOUT, deadline) != 1) return false;
    }
    return true;
  }

  ChannelRead ReceiveSome(uint8_t* buffer, size_t capacity, uint32_t waitMs,
                          size_t* received) override {
    *received = 0;
    const Deadline deadline(waitMs);
    for (;;) {
      const int wait = WaitFor(fd_, POLLIN, deadline);
      if (wait == 0) return ChannelRead::kTimeout;
      if (wait < 0) return ChannelRead::kBroken;
      const ssize_t n = recv(fd_, buffer, capacity, MSG_DONTWAIT);
      if (n > 0) {
        *received = static_cast<size_t>(n);
        return ChannelRead::kOk;
      }
      if (n == 0) return ChannelRead::kBroken;
      if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return ChannelRead::kBroken;
    }
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ChannelSocket> ConnectChannelSocket(const LoopbackEndpoint& endpoint,
                                                    uint32_t timeoutMs) {
  sockaddr_storage address{};
  socklen_t addressLength = 0;
  int family = AF_INET;
  if (endpoint.host == "127.0.0.1" || endpoint.host == "localhost") {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(endpoint.port);
    v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addressLength = sizeof(sockaddr_in);
  } else if (endpoint.host == "::1") {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(endpoint.port);
    v6->sin6_addr = in6addr_loopback;
    addressLength = sizeof(sockaddr_in6);
    family = AF_INET6;
  } else {
    return nullptr;
  }

  const int fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return nullptr;
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), addressLength) != 0) {
    if (errno != EINPROGRESS || WaitFor(fd, POLLOUT, Deadline(timeoutMs)) != 1) {
      close(fd);
      return nullptr;
    }
    int error = 0;
    socklen_t errorLength = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &errorLength) != 0 || error != 0) {
      close(fd);
      return nullptr;
    }
  }
  return std::make_unique<PosixChannelSocket>(fd);
}

}  // namespace quill
