// A loopback TCP listener that serves each accepted connection on a thread
// of its own, and can be closed: closing refuses new connections, shuts down
// every open one and waits for their threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace quill {

// Serves one connection; returns when done with it. The listener closes the
// descriptor afterwards. Must not call Close of its own listener.
using ConnectionHandler = std::function<void(int fd)>;

class LoopbackListener {
 public:
  LoopbackListener() = default;
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  // Listens on 127.0.0.1:port (0: ephemeral); connections wait in the
  // backlog until Serve.
  bool Open(uint16_t port, std::string* error);
  // Starts accepting; call once after each Open.
  void Serve(ConnectionHandler handler);
  void Close();
  bool IsOpen() const { return listenFd_ >= 0; }
  uint16_t Port() const { return port_; }

 private:
  struct Connection {
    int fd = -1;
    std::thread thread;
    std::atomic<bool> finished{false};
  };

  void AcceptLoop();
  void ServeConnection(Connection* connection);
  void JoinFinished();

  int listenFd_ = -1;
  uint16_t port_ = 0;
  ConnectionHandler handler_;
  std::thread acceptThread_;
  std::atomic<bool> closing_{false};
  std::mutex connectionsMutex_;  // guards connections_ and each Connection::fd
  std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace quill
