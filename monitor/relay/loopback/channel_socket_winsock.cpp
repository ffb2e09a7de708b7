// The loopback channel over Winsock 2.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h first: windows.h alone would pull in the old winsock.h.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "channel_socket.h"

namespace quill {
namespace {

// The most one send or recv call is given (their length is an int).
constexpr size_t kMaxChunk = 1 << 30;

// Winsock is started once per process and stays up until the process ends.
bool WinsockReady() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

class Deadline {
 public:
  explicit Deadline(uint32_t waitMs)
      : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs)) {}
  long RemainingMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          end_ - std::chrono::steady_clock::now())
                          .count();
    return left > 0 ? static_cast<long>(left) : 0;
  }

 private:
  std::chrono::steady_clock::time_point end_;
};

enum class WaitFor { kRead, kWrite, kConnect };

// 1: ready, 0: timeout, -1: failed (a failed connection shows in the
// exception set).
int Wait(SOCKET socket, WaitFor what, const Deadline& deadline) {
  fd_set readable;
  fd_set writable;
  fd_set failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  if (what == WaitFor::kRead) FD_SET(socket, &readable);
  if (what != WaitFor::kRead) FD_SET(socket, &writable);
  if (what == WaitFor::kConnect) FD_SET(socket, &failed);
  const long remaining = deadline.RemainingMs();
  timeval timeout;
  timeout.tv_sec = remaining / 1000;
  timeout.tv_usec = (remaining % 1000) * 1000;
  const int result = select(0, &readable, &writable, &failed, &timeout);
  if (result == 0) return 0;
  if (result == SOCKET_ERROR || FD_ISSET(socket, &failed)) return -1;
  return 1;
}

class WinsockChannelSocket : public ChannelSocket {
 public:
  explicit WinsockChannelSocket(SOCKET socket) : socket_(socket) {}
  ~WinsockChannelSocket() override { closesocket(socket_); }

  bool Send(const uint8_t* data, size_t length, uint32_t waitMs) override {
    const Deadline deadline(waitMs);
    size_t written = 0;
    while (written < length) {
      const int chunk = static_cast<int>(std::min(length - written, kMaxChunk));
      const int n = send(socket_, reinterpret_cast<const char*>(data + written), chunk, 0);
      if (n != SOCKET_ERROR) {
        written += static_cast<size_t>(n);
        continue;
      }
      if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
      if (Wait(socket_, WaitFor::kWrite, deadline) != 1) return false;
    }
    return true;
  }

  ChannelRead ReceiveSome(uint8_t* buffer, size_t capacity, uint32_t waitMs,
                          size_t* received) override {
    *received = 0;
    const Deadline deadline(waitMs);
    for (;;) {
      const int wait = Wait(socket_, WaitFor::kRead, deadline);
      if (wait == 0) return ChannelRead::kTimeout;
      if (wait < 0) return ChannelRead::kBroken;
      const int chunk = static_cast<int>(std::min(capacity, kMaxChunk));
      const int n = recv(socket_, reinterpret_cast<char*>(buffer), chunk, 0);
      if (n > 0) {
        *received = static_cast<size_t>(n);
        return ChannelRead::kOk;
      }
      if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return ChannelRead::kBroken;
    }
  }

 private:
  SOCKET socket_;
};

bool LoopbackAddress(const LoopbackEndpoint& endpoint, sockaddr_storage* address, int* size) {
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

std::unique_ptr<ChannelSocket> ConnectChannelSocket(const LoopbackEndpoint& endpoint,
                                                    uint32_t timeoutMs) {
  sockaddr_storage address;
  int size = 0;
  if (endpoint.port == 0 || !LoopbackAddress(endpoint, &address, &size)) return nullptr;
  if (!WinsockReady()) return nullptr;
  const SOCKET raw = socket(address.ss_family, SOCK_STREAM, IPPROTO_TCP);
  if (raw == INVALID_SOCKET) return nullptr;
  auto connection = std::make_unique<WinsockChannelSocket>(raw);
  // Child processes (the browsers the monitor starts) must not keep it alive.
  SetHandleInformation(reinterpret_cast<HANDLE>(raw), HANDLE_FLAG_INHERIT, 0);
  u_long nonBlocking = 1;
  if (ioctlsocket(raw, FIONBIO, &nonBlocking) != 0) return nullptr;
  const BOOL on = TRUE;
  setsockopt(raw, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);

  if (connect(raw, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) return nullptr;
    if (Wait(raw, WaitFor::kConnect, Deadline(timeoutMs)) != 1) return nullptr;
    int error = 0;
    int errorSize = sizeof error;
    if (getsockopt(raw, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &errorSize) != 0 ||
        error != 0) {
      return nullptr;
    }
  }
  return connection;
}

}  // namespace quill
