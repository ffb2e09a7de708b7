// Loopback connections with Winsock 2.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
// winsock2.h first: windows.h alone would pull in the old winsock.h.
#include <windows.h>

#include <chrono>
#include <cstring>

#include "loopback_socket.h"

namespace quill {
namespace {

// The most one Drain takes in: a peer that sends without pause cannot keep it
// from returning.
constexpr size_t kMaxDrainBytes = 1 << 20;
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

enum class WaitResult { kReady, kTimeout, kFailed };
enum class WaitFor { kRead, kWrite, kConnect };

// Waits until the socket can be read, written, or has finished connecting.
// A failed connection attempt shows in the exception set.
WaitResult Wait(SOCKET socket, WaitFor what, const Deadline& deadline) {
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
  if (result == 0) return WaitResult::kTimeout;
  if (result == SOCKET_ERROR || FD_ISSET(socket, &failed)) return WaitResult::kFailed;
  return WaitResult::kReady;
}

SocketStatus FromWsaError(int error) {
  switch (error) {
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAECONNREFUSED:
    case WSAENOTCONN:
    case WSAESHUTDOWN:
    case WSAETIMEDOUT:
    case WSAENETRESET:
    case WSAENETDOWN:
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENOTSOCK:
      return SocketStatus::kClosed;
    default:
      return SocketStatus::kFailed;
  }
}

SocketStatus FromWait(WaitResult result) {
  return result == WaitResult::kTimeout ? SocketStatus::kTimeout : SocketStatus::kFailed;
}

int ChunkSize(size_t length) {
  return static_cast<int>(length < kMaxChunk ? length : kMaxChunk);
}

class WinsockLoopbackSocket : public LoopbackSocket {
 public:
  explicit WinsockLoopbackSocket(SOCKET socket) : socket_(socket) {}
  ~WinsockLoopbackSocket() override { Close(); }

  SocketStatus Read(uint8_t* data, size_t length, uint32_t waitMs, size_t* received) override {
    *received = 0;
    if (socket_ == INVALID_SOCKET) return SocketStatus::kClosed;
    const Deadline deadline(waitMs);
    while (*received < length) {
      const int n = recv(socket_, reinterpret_cast<char*>(data + *received),
                         ChunkSize(length - *received), 0);
      if (n > 0) {
        *received += static_cast<size_t>(n);
        continue;
      }
      if (n == 0) return SocketStatus::kClosed;
      const int error = WSAGetLastError();
      if (error == WSAEINTR) continue;
      if (error != WSAEWOULDBLOCK) return FromWsaError(error);
      const WaitResult wait = Wait(socket_, WaitFor::kRead, deadline);
      if (wait != WaitResult::kReady) return FromWait(wait);
    }
    return SocketStatus::kOk;
  }

  SocketStatus ReadSome(uint8_t* data, size_t capacity, uint32_t waitMs,
                        size_t* received) override {
    *received = 0;
    if (socket_ == INVALID_SOCKET) return SocketStatus::kClosed;
    // A read of nothing says nothing about the peer (recv would answer 0,
    // which reads as a close).
    if (capacity == 0) return SocketStatus::kOk;
    const Deadline deadline(waitMs);
    for (;;) {
      const WaitResult wait = Wait(socket_, WaitFor::kRead, deadline);
      if (wait != WaitResult::kReady) return FromWait(wait);
      const int n = recv(socket_, reinterpret_cast<char*>(data), ChunkSize(capacity), 0);
      if (n > 0) {
        *received = static_cast<size_t>(n);
        return SocketStatus::kOk;
      }
      if (n == 0) return SocketStatus::kClosed;
      const int error = WSAGetLastError();
      if (error == WSAEINTR || error == WSAEWOULDBLOCK) continue;
      return FromWsaError(error);
    }
  }

  SocketStatus WriteAll(const uint8_t* data, size_t length, uint32_t waitMs,
                        size_t* written) override {
    *written = 0;
    if (socket_ == INVALID_SOCKET) return SocketStatus::kClosed;
    const Deadline deadline(waitMs);
    while (*written < length) {
      const int n = send(socket_, reinterpret_cast<const char*>(data + *written),
                         ChunkSize(length - *written), 0);
      if (n >= 0) {
        *written += static_cast<size_t>(n);
        continue;
      }
      const int error = WSAGetLastError();
      if (error == WSAEINTR) continue;
      if (error != WSAEWOULDBLOCK) return FromWsaError(error);
      const WaitResult wait = Wait(socket_, WaitFor::kWrite, deadline);
      if (wait != WaitResult::kReady) return FromWait(wait);
    }
    return SocketStatus::kOk;
  }

  SocketStatus Drain() override {
    if (socket_ == INVALID_SOCKET) return SocketStatus::kClosed;
    char scratch[4096];
    for (size_t dropped = 0; dropped < kMaxDrainBytes;) {
      const int n = recv(socket_, scratch, sizeof scratch, 0);
      if (n > 0) {
        dropped += static_cast<size_t>(n);
        continue;
      }
      if (n == 0) return SocketStatus::kClosed;
      const int error = WSAGetLastError();
      if (error == WSAEINTR) continue;
      if (error == WSAEWOULDBLOCK) return SocketStatus::kOk;
      return FromWsaError(error);
    }
    return SocketStatus::kOk;
  }

  void Shutdown() override {
    if (socket_ != INVALID_SOCKET) shutdown(socket_, SD_BOTH);
  }

  void Close() override {
    if (socket_ == INVALID_SOCKET) return;
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }

 private:
  SOCKET socket_;
};

// The socket address of a loopback host; false for any other host.
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

std::unique_ptr<LoopbackSocket> ConnectLoopback(const LoopbackEndpoint& endpoint,
                                                uint32_t timeoutMs) {
  sockaddr_storage address;
  int size = 0;
  if (endpoint.port == 0 || !LoopbackAddress(endpoint, &address, &size)) return nullptr;
  if (!WinsockReady()) return nullptr;
  const SOCKET raw = socket(address.ss_family, SOCK_STREAM, IPPROTO_TCP);
  if (raw == INVALID_SOCKET) return nullptr;
  auto connection = std::make_unique<WinsockLoopbackSocket>(raw);
  // Child processes must not keep the connection alive.
  SetHandleInformation(reinterpret_cast<HANDLE>(raw), HANDLE_FLAG_INHERIT, 0);
  u_long nonBlocking = 1;
  if (ioctlsocket(raw, FIONBIO, &nonBlocking) != 0) return nullptr;
  const BOOL on = TRUE;
  setsockopt(raw, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);

  if (connect(raw, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) return nullptr;
    if (Wait(raw, WaitFor::kConnect, Deadline(timeoutMs)) != WaitResult::kReady) return nullptr;
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
