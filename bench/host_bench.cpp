// quill-host in figures: the cold start to the first reply, and the cost of
// QuillGetUID through the host next to a raw loopback ping-pong of as many
// 248-byte frames as those calls exchange with a cdrom-kind virtual token
// (each call: the presence check reads the UID of the listed token, then the
// member reads it: two exchanges).
//
//   host_bench [--calls N] [--rounds N] [--starts N]
//
// Goals: cold start at most 20 ms; QuillGetUID at most twice the ping-pong.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "host_channel.h"
#include "loopback_platform.h"
#include "member_table.h"
#include "ports/fake/fake_control_ports.h"
#include "session.h"
#include "vtoken/server.h"

namespace quill {
namespace {

using Clock = std::chrono::steady_clock;
using host::ChildProcess;
using host::PipeStatus;

constexpr size_t kWireFrameSize = 248;
constexpr int kReplyTimeoutMs = 10000;

double Milliseconds(Clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "host_bench: %s\n", what.c_str());
  std::exit(1);
}

bool StartHost(ChildProcess* host, const std::string& endpoints) {
  ChildProcess::Options options;
  options.environment = {
      endpoints.empty() ? "QUILL_VIRTUAL_TOKENS" : "QUILL_VIRTUAL_TOKENS=" + endpoints,
      "QUILL_ASKPASS"};
  std::string error;
  if (!host->Start(QUILL_HOST_PROGRAM, options, &error)) Fail(error);
  return true;
}

// timeoutMs < 0: the timed loops wait without a limit, which saves the
// client a system call per reply.
std::string Ask(ChildProcess& host, const std::string& request, int timeoutMs = kReplyTimeoutMs) {
  std::string reply;
  if (!host::SendRequest(host, request) ||
      host::ReceiveReply(host, &reply, timeoutMs) != PipeStatus::kDone) {
    Fail("no reply to " + request);
  }
  return reply;
}

// From the start of the process to the reply of a request that needs no token.
double ColdStartMs() {
  const Clock::time_point start = Clock::now();
  ChildProcess host;
  StartHost(&host, "");
  const std::string reply = Ask(host, R"({"id":1,"get":"Version"})");
  const double elapsed = Milliseconds(Clock::now() - start);
  if (reply.find("result") == std::string::npos) Fail("unexpected reply " + reply);
  host.CloseInput();
  if (host.Wait(kReplyTimeoutMs) != 0) Fail("the host did not end with 0");
  return elapsed;
}

double GetUidCallsMs(ChildProcess& host, int calls, const std::string& expected) {
  const std::string request = R"({"id":1,"call":"QuillGetUID"})";
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < calls; ++i) {
    if (Ask(host, request, -1) != expected) Fail("unexpected QuillGetUID reply");
  }
  return Milliseconds(Clock::now() - start);
}

// Requests that reach no token: the host's own cost and the pipe's.
double VersionCallsMs(ChildProcess& host, int calls) {
  const std::string request = R"({"id":1,"get":"Version"})";
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < calls; ++i) Ask(host, request, -1);
  return Milliseconds(Clock::now() - start);
}

// The same member called in this process through the member table, on the
// same token: what the calls cost without the host around them.
double InProcessCallsMs(const std::string& endpoint, int calls, const std::string& uid) {
  char pattern[] = "/tmp/quill-bench-lock-XXXXXX";
  close(mkstemp(pattern));
  double elapsed = 0;
  {
    LoopbackPlatform library({endpoint}, pattern);
    fake::FakeControlPlatform ports;
    ResetControl(ports.platform);
    const MemberInfo* member = FindMember("QuillGetUID", MemberKind::kMethod);
    ScriptValue result;
    if (!member || !InvokeMember(*member, {}, &result)) Fail("QuillGetUID is not in the table");
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < calls; ++i) {
      InvokeMember(*member, {}, &result);
      const ScriptText* text = std::get_if<ScriptText>(&result);
      if (!text || std::string(text->text.begin(), text->text.end()) != uid) {
        Fail("unexpected QuillGetUID result in-process");
      }
    }
    elapsed = Milliseconds(Clock::now() - start);
  }
  unlink(pattern);
  return elapsed;
}

// A thread that answers each 248-byte frame with 248 bytes, over TCP on
// loopback with TCP_NODELAY, as a virtual token's connection is set up.
class EchoPeer {
 public:
  EchoPeer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 1) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      Fail("echo peer: cannot listen");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~EchoPeer() {
    thread_.join();
    close(listener_);
  }
  uint16_t port() const { return port_; }

 private:
  void Serve() {
    const int connection = accept(listener_, nullptr, nullptr);
    NoDelay(connection);
    uint8_t frame[kWireFrameSize];
    while (ReadExactly(connection, frame, sizeof frame) &&
           WriteAll(connection, frame, sizeof frame)) {
    }
    close(connection);
  }

 public:
  static void NoDelay(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  static bool ReadExactly(int fd, uint8_t* data, size_t size) {
    while (size > 0) {
      const ssize_t got = read(fd, data, size);
      if (got <= 0) return false;
      data += got;
      size -= static_cast<size_t>(got);
    }
    return true;
  }
  static bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
      const ssize_t written = write(fd, data, size);
      if (written <= 0) return false;
      data += written;
      size -= static_cast<size_t>(written);
    }
    return true;
  }

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

// A connection to an echo peer; each round sends `frames` requests and reads
// their answers one after the other.
class PingPong {
 public:
  PingPong() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(peer_.port());
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      Fail("echo peer: cannot connect");
    }
    EchoPeer::NoDelay(fd_);
  }
  ~PingPong() { close(fd_); }  // the peer sees the end and stops

  double RoundMs(int frames) {
    uint8_t frame[kWireFrameSize] = {};
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
      frame[0] = static_cast<uint8_t>(i);
      if (!EchoPeer::WriteAll(fd_, frame, sizeof frame) ||
          !EchoPeer::ReadExactly(fd_, frame, sizeof frame)) {
        Fail("echo peer: exchange failed");
      }
    }
    return Milliseconds(Clock::now() - start);
  }

 private:
  EchoPeer peer_;
  int fd_ = -1;
};

int ArgumentValue(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
  }
  return fallback;
}

const char* Verdict(bool met) {
  return met ? "met" : "MISSED";
}

}  // namespace
}  // namespace quill

int main(int argc, char** argv) {
  using namespace quill;
  const int calls = ArgumentValue(argc, argv, "--calls", 2000);
  const int rounds = ArgumentValue(argc, argv, "--rounds", 5);
  const int starts = ArgumentValue(argc, argv, "--starts", 31);

  // Cold start.
  ColdStartMs();  // the program file into the page cache
  std::vector<double> startTimes;
  for (int i = 0; i < starts; ++i) startTimes.push_back(ColdStartMs());
  const double coldStart = Median(startTimes);
  std::printf(
      "cold start to the first reply (get Version), median of %d: %.2f ms "
      "(min %.2f, max %.2f)\n",
      starts, coldStart, *std::min_element(startTimes.begin(), startTimes.end()),
      *std::max_element(startTimes.begin(), startTimes.end()));

  // QuillGetUID through the host against a cdrom-kind virtual token.
  VirtualTokenServer server;
  TokenSpec spec;
  spec.kind = TokenKind::kCdrom;
  const int id = server.AddToken(spec);
  if (id < 0 || !server.Start()) Fail("virtual token: " + server.LastError());
  ChildProcess host;
  StartHost(&host, server.Endpoint(id));
  if (Ask(host, R"({"id":1,"call":"QuillCheckExist"})") != R"({"id":1,"result":1})") {
    Fail("the host does not see the virtual token");
  }
  char uid[kUidTextSize];
  FormatUid(server.Spec(id).uid.value().data(), uid);
  const std::string expected = std::string(R"({"id":1,"result":")") + uid + "\"}";
  const uint64_t exchangesBefore = server.Stats(id).exchanges;
  GetUidCallsMs(host, 100, expected);  // warm-up, and the exchanges a call costs
  const double exchangesPerCall =
      static_cast<double>(server.Stats(id).exchanges - exchangesBefore) / 100.0;

  // The rounds interleave the figures, so that a busy moment of the machine
  // weighs on all of them alike.
  const int frames = static_cast<int>(calls * exchangesPerCall + 0.5);
  PingPong pingPong;
  std::vector<double> hostTimes, versionTimes, inProcessTimes, pingPongTimes, ratios;
  for (int round = 0; round < rounds; ++round) {
    hostTimes.push_back(GetUidCallsMs(host, calls, expected));
    versionTimes.push_back(VersionCallsMs(host, calls));
    inProcessTimes.push_back(InProcessCallsMs(server.Endpoint(id), calls, uid));
    pingPongTimes.push_back(pingPong.RoundMs(frames));
    ratios.push_back(hostTimes.back() / pingPongTimes.back());
  }
  host.CloseInput();
  host.Wait(kReplyTimeoutMs);

  const double hostMs = Median(hostTimes);
  const double versionMs = Median(versionTimes);
  const double inProcessMs = Median(inProcessTimes);
  const double pingPongMs = Median(pingPongTimes);
  std::printf("medians of %d rounds of %d calls:\n", rounds, calls);
  std::printf("  QuillGetUID through quill-host (%.2f exchanges each): %.2f ms, %.1f us per call\n",
              exchangesPerCall, hostMs, hostMs * 1000.0 / calls);
  std::printf("  get Version through quill-host (no token):          %.2f ms, %.1f us per call\n",
              versionMs, versionMs * 1000.0 / calls);
  std::printf("  QuillGetUID in-process (member table, no host):     %.2f ms, %.1f us per call\n",
              inProcessMs, inProcessMs * 1000.0 / calls);
  std::printf("  raw loopback ping-pong, %d frames of %zu bytes:   %.2f ms, %.1f us per frame\n",
              frames, kWireFrameSize, pingPongMs, pingPongMs * 1000.0 / frames);
  std::printf(
      "ratios: QuillGetUID through the host / ping-pong %.2f; in-process / ping-pong %.2f; "
      "through the host / in-process %.2f\n",
      Median(ratios), inProcessMs / pingPongMs, hostMs / inProcessMs);

  const double ratio = Median(ratios);
  std::printf("cold start: %.2f ms (goal <= 20 ms: %s)\n", coldStart, Verdict(coldStart <= 20.0));
  std::printf("QuillGetUID / ping-pong: %.2f (goal <= 2: %s)\n", ratio, Verdict(ratio <= 2.0));
  return 0;
}
