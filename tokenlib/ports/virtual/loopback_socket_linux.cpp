// Loopback connections with POSIX sockets.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "loopback_socket.h"

namespace quill {
namespace {

// The most one Drain takes in: a peer that sends without pause cannot keep it
// from returning.
constexpr size_t kMaxDrainBytes = 1 << 20;

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

enum class WaitResult { kReady, kTimeout, kFailed };

// Waits for events on fd until the deadline. Ready also covers an error or a
// hang-up: the request that follows reports which.
WaitResult WaitFor(int fd, short events, const Deadline& deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int result = poll(&entry, 1, deadline.RemainingMs());
    if (result > 0) return WaitResult::kReady;
    if (result == 0) return WaitResult::kTimeout;
    if (errno != EINTR) return WaitResult::kFailed;
  }
}

SocketStatus FromErrno(int error) {
  switch (error) {
    case ECONNRESET:
    case ECONNABORTED:
    case ECONNREFUSED:
    case EPIPE:
    case ENOTCONN:
    case ESHUTDOWN:
    case ETIMEDOUT:
    case ENETRESET:
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTUNREACH:
      return SocketStatus::kClosed;
    default:
      return SocketStatus::kFailed;
  }
}

SocketStatus FromWait(WaitResult result) {
  return result == WaitResult::kTimeout ? SocketStatus::kTimeout : SocketStatus::kFailed;
}

class PosixLoopbackSocket : public LoopbackSocket {
 public:
  explicit PosixLoopbackSocket(int fd) : fd_(fd) {}
  ~PosixLoopbackSocket() override { Close(); }

  SocketStatus Read(uint8_t* data, size_t length, uint32_t waitMs, size_t* received) override {
    *received = 0;
    if (fd_ < 0) return SocketStatus::kClosed;
    const Deadline deadline(waitMs);
    // An answer is read right after its request went out, so it is seldom
    // there yet: wait first, then read, one system call fewer per answer.
    while (*received < length) {
      const WaitResult wait = WaitFor(fd_, POLLIN, deadline);
      if (wait != WaitResult::kReady) return FromWait(wait);
      const ssize_t n = recv(fd_, data + *received, length - *received, MSG_DONTWAIT);
      if (n > 0) {
        *received += static_cast<size_t>(n);
        continue;
      }
      if (n == 0) return SocketStatus::kClosed;
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return FromErrno(errno);
    }
    return SocketStatus::kOk;
  }

  SocketStatus ReadSome(uint8_t* data, size_t capacity, uint32_t waitMs,
                        size_t* received) override {
    *received = 0;
    if (fd_ < 0) return SocketStatus::kClosed;
    // A read of nothing says nothing about the peer (recv would answer 0,
    // which reads as a close).
    if (capacity == 0) return SocketStatus::kOk;
    const Deadline deadline(waitMs);
    for (;;) {
      const WaitResult wait = WaitFor(fd_, POLLIN, deadline);
      if (wait != WaitResult::kReady) return FromWait(wait);
      const ssize_t n = recv(fd_, data, capacity, MSG_DONTWAIT);
      if (n > 0) {
        *received = static_cast<size_t>(n);
        return SocketStatus::kOk;
      }
      if (n == 0) return SocketStatus::kClosed;
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return FromErrno(errno);
    }
  }

  SocketStatus WriteAll(const uint8_t* data, size_t length, uint32_t waitMs,
                        size_t* written) override {
    *written = 0;
    if (fd_ < 0) return SocketStatus::kClosed;
    const Deadline deadline(waitMs);
    while (*written < length) {
      const ssize_t n = send(fd_, data + *written, length - *written, MSG_DONTWAIT | MSG_NOSIGNAL);
      if (n >= 0) {
        *written += static_cast<size_t>(n);
        continue;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return FromErrno(errno);
      const WaitResult wait = WaitFor(fd_, POLLOUT, deadline);
      if (wait != WaitResult::kReady) return FromWait(wait);
    }
    return SocketStatus::kOk;
  }

  SocketStatus Drain() override {
    if (fd_ < 0) return SocketStatus::kClosed;
    uint8_t scratch[4096];
    for (size_t dropped = 0; dropped < kMaxDrainBytes;) {
      const ssize_t n = recv(fd_, scratch, sizeof scratch, MSG_DONTWAIT);
      if (n > 0) {
        dropped += static_cast<size_t>(n);
        continue;
      }
      if (n == 0) return SocketStatus::kClosed;
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return SocketStatus::kOk;
      return FromErrno(errno);
    }
    return SocketStatus::kOk;
  }

  void Shutdown() override {
    if (fd_ >= 0) shutdown(fd_, SHUT_RDWR);
  }

  void Close() override {
    if (fd_ < 0) return;
    close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// The socket address of a loopback host; false for any other host.
bool LoopbackAddress(const LoopbackEndpoint& endpoint, sockaddr_storage* address, socklen_t* size) {
  std::memset(address, 0, sizeof *address);
  if (endpoint.host == "127.0.0.1" || endpoint.host == "localhost") {
    auto* v4 = reinterpret_cast<sockaddr_in*>(address);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(endpoint.port);
    v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    *size = sizeof *v4;
    return true;
  }
  if (endpoint.host == "::1") {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(address);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(endpoint.port);
    v6->sin6_addr = in6addr_loopback;
    *size = sizeof *v6;
    return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<LoopbackSocket> ConnectLoopback(const LoopbackEndpoint& endpoint,
                                                uint32_t timeoutMs) {
  sockaddr_storage address;
  socklen_t size = 0;
  if (endpoint.port == 0 || !LoopbackAddress(endpoint, &address, &size)) return nullptr;
  const int fd = socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  auto connection = std::make_unique<PosixLoopbackSocket>(fd);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);

  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) return nullptr;
    if (WaitFor(fd, POLLOUT, Deadline(timeoutMs)) != WaitResult::kReady) return nullptr;
    int error = 0;
    socklen_t errorSize = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &errorSize) != 0 || error != 0) {
      return nullptr;
    }
  }
  return connection;
}

}  // namespace quill
