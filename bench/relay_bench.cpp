// The token relay in figures: one FIND round trip over the loopback channel
// (CRemoteRelay, the loopback transport, the listener and the client core
// answering from a token that is always there) next to a raw loopback
// ping-pong of the same bytes (27 out, 25 back) over plain blocking sockets;
// and what the main window's timer tick costs outside a remote session.
//
// Goal: the FIND round trip at most twice the ping-pong.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "fake_files.h"
#include "fake_log.h"
#include "fake_main_window.h"
#include "fake_message_boxes.h"
#include "fake_processes.h"
#include "fake_registry.h"
#include "fake_strings.h"
#include "fake_system.h"
#include "fake_text.h"
#include "loopback_remote_channel.h"
#include "main_dlg.h"
#include "monitor_constants.h"
#include "relay_client.h"
#include "relay_listener.h"
#include "remote_relay.h"
#include "remote_relay_presence.h"

namespace quill {
namespace {

constexpr char kFindRequest[] = "START;SERVER;FIND;NULL;END;";
constexpr char kOkReply[] = "START;CLIENT;OK;NULL;END;";

class PresentToken : public RelayTokenAccess {
 public:
  bool TokenAttached() override { return true; }
  bool FirstTokenUid(std::string*) override { return false; }
  bool LoginFirstToken(const std::string&) override { return false; }
  bool FirstTokenKeyInfo(std::vector<uint8_t>*) override { return false; }
  bool LogoutFirstToken() override { return false; }
};

void BM_RelayFindOverLoopbackChannel(benchmark::State& state) {
  PresentToken token;
  RelayClient client(token);
  RelayListener listener;
  std::string error;
  if (!listener.Listen(0, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::thread server([&] {
    listener.ServeOne([&](const uint8_t* data, size_t length, std::string* reply) {
      *reply = client.ReceiveAndReply(data, length);
      return true;
    });
  });
  {
    LoopbackRemoteChannel channel(LoopbackEndpoint{"127.0.0.1", listener.Port()});
    fake::FakeText text;
    CRemoteRelay relay(channel, text);
    if (!relay.Probe()) state.SkipWithError("no connection");
    for (auto _ : state) {
      if (relay.Find() != kRelayOk) {
        state.SkipWithError("FIND failed");
        break;
      }
    }
  }
  server.join();
}
BENCHMARK(BM_RelayFindOverLoopbackChannel)->UseRealTime();

bool ReadExactly(int fd, char* buffer, size_t length) {
  size_t got = 0;
  while (got < length) {
    const ssize_t n = recv(fd, buffer + got, length - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

void BM_RawLoopbackPingPongOfTheSameBytes(benchmark::State& state) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    state.SkipWithError("cannot listen");
    close(listener);
    return;
  }
  const size_t requestLength = std::strlen(kFindRequest);
  const size_t replyLength = std::strlen(kOkReply);
  std::thread server([&] {
    const int fd = accept(listener, nullptr, nullptr);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char request[64];
    while (ReadExactly(fd, request, requestLength)) {
      if (send(fd, kOkReply, replyLength, MSG_NOSIGNAL) != static_cast<ssize_t>(replyLength)) break;
    }
    close(fd);
  });
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    state.SkipWithError("cannot connect");
  } else {
    char reply[64];
    for (auto _ : state) {
      if (send(fd, kFindRequest, requestLength, MSG_NOSIGNAL) !=
              static_cast<ssize_t>(requestLength) ||
          !ReadExactly(fd, reply, replyLength)) {
        state.SkipWithError("ping-pong failed");
        break;
      }
    }
  }
  shutdown(fd, SHUT_RDWR);
  close(fd);
  server.join();
  close(listener);
}
BENCHMARK(BM_RawLoopbackPingPongOfTheSameBytes)->UseRealTime();

// A console session: the system-metrics question answers "no".
class ConsoleSession : public RemoteChannelPort {
 public:
  bool IsRemoteSession() override { return false; }
  bool OpenChannel() override { std::abort(); }
  bool CloseChannel() override { return false; }
  bool IsChannelOpen() override { return false; }
  bool SendRequest(const char*, size_t) override { std::abort(); }
  ChannelRead ReceiveReply(uint8_t*, size_t, size_t*) override { std::abort(); }
};

void BM_TimerTickOutsideRemoteSession(benchmark::State& state) {
  fake::FakeRegistry registry;
  fake::FakeFiles files;
  fake::FakeSystem system;
  fake::FakeText text;
  fake::FakeProcesses processes;
  fake::FakeMessageBoxes boxes;
  fake::FakeStrings strings;
  fake::FakeLog log;
  MonitorPorts ports;
  ports.registry = &registry;
  ports.files = &files;
  ports.system = &system;
  ports.text = &text;
  ports.processes = &processes;
  ports.messageBoxes = &boxes;
  ports.strings = &strings;
  ports.log = &log;
  fake::FakeMainWindow window;
  ConsoleSession console;
  CRemoteRelay relay(console, text);
  RemoteRelayPresence presence(relay);
  CMainDlg dialog(ports, window, presence);
  for (auto _ : state) dialog.OnTimer(kTimerCheck);
  if (!window.calls.empty() || !log.lines.empty()) state.SkipWithError("the tick did something");
}
BENCHMARK(BM_TimerTickOutsideRemoteSession);

}  // namespace
}  // namespace quill
