// The watcher with its real probe against virtual tokens served in this
// process: plugging and unplugging reach the notifier with the right paths.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "device_interface_path.h"
#include "loopback_hello_probe.h"
#include "presence_watcher.h"
#include "vtoken/server.h"

namespace quill {
namespace {

class RecordingNotifier : public PresenceNotifier {
 public:
  bool Deliver(PresenceChange change, const std::string& devicePath) override {
    delivered.emplace_back(change, devicePath);
    return true;
  }
  std::vector<std::pair<PresenceChange, std::string>> delivered;
};

class PresenceLoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TokenSpec hid;
    hid.kind = TokenKind::kHid;
    hid.model = TokenModel::kB;
    TokenSpec cdrom;
    cdrom.kind = TokenKind::kCdrom;
    cdrom.model = TokenModel::kA;
    hid_ = server_.AddToken(hid);
    cdrom_ = server_.AddToken(cdrom);
    ASSERT_GE(hid_, 0);
    ASSERT_GE(cdrom_, 0);
    ASSERT_TRUE(server_.Start());
  }
  std::vector<LoopbackEndpoint> Endpoints() {
    return {{"127.0.0.1", server_.Port(hid_)}, {"127.0.0.1", server_.Port(cdrom_)}};
  }

  VirtualTokenServer server_;
  int hid_ = -1;
  int cdrom_ = -1;
  LoopbackHelloProbe probe_;
  RecordingNotifier notifier_;
};

TEST_F(PresenceLoopbackTest, ProbeSeesHelloAndRefusal) {
  std::string hello;
  EXPECT_EQ(probe_.Probe({"127.0.0.1", server_.Port(hid_)}, &hello), ProbeOutcome::kAnswered);
  EXPECT_EQ(hello, "QVT1 hid 04b4 b812\n");
  server_.Unplug(hid_);
  EXPECT_EQ(probe_.Probe({"127.0.0.1", server_.Port(hid_)}, &hello), ProbeOutcome::kRefused);
  EXPECT_TRUE(hello.empty());
}

TEST_F(PresenceLoopbackTest, UnplugAndPlugBecomeRemovalAndArrival) {
  PresenceWatcher watcher(Endpoints(), &probe_, &notifier_);
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(watcher.Present(0));
  EXPECT_TRUE(watcher.Present(1));

  server_.Unplug(cdrom_);
  std::vector<PresenceEvent> events = watcher.Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].change, PresenceChange::kRemoval);
  EXPECT_EQ(events[0].devicePath, UsbInterfacePath(0x04B4, 0xB708, server_.Port(cdrom_)));

  server_.Unplug(hid_);
  server_.Plug(cdrom_);
  events = watcher.Poll();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].change, PresenceChange::kRemoval);
  EXPECT_EQ(events[0].devicePath, UsbInterfacePath(0x04B4, 0xB812, server_.Port(hid_)));
  EXPECT_EQ(events[1].change, PresenceChange::kArrival);
  EXPECT_EQ(events[1].devicePath, UsbInterfacePath(0x04B4, 0xB708, server_.Port(cdrom_)));

  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_EQ(notifier_.delivered.size(), 3u);
}

TEST_F(PresenceLoopbackTest, TokenUnpluggedAtStartArrivesLater) {
  server_.Unplug(hid_);
  PresenceWatcher watcher(Endpoints(), &probe_, &notifier_);
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_FALSE(watcher.Present(0));
  server_.Plug(hid_);
  const std::vector<PresenceEvent> events = watcher.Poll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].change, PresenceChange::kArrival);
  EXPECT_EQ(events[0].devicePath, UsbInterfacePath(0x04B4, 0xB812, server_.Port(hid_)));
}

TEST_F(PresenceLoopbackTest, TokenHoldingBackAnswersStaysPresent) {
  // A token that delays its answers still greets every connection.
  server_.InjectFault(hid_, {FaultKind::kDelay, 2000}, 0);
  PresenceWatcher watcher(Endpoints(), &probe_, &notifier_);
  watcher.Poll();
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(watcher.Present(0));
}

// A listener that accepts and never greets.
class SilentListener {
 public:
  SilentListener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(fd_, 4) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  ~SilentListener() { close(fd_); }
  uint16_t port() const { return port_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

TEST(PresenceProbeTest, ListenerWithoutHelloIsUnclear) {
  SilentListener listener;
  ASSERT_NE(listener.port(), 0);
  LoopbackHelloProbe probe(200, 150);
  std::string hello = "stale";
  EXPECT_EQ(probe.Probe({"127.0.0.1", listener.port()}, &hello), ProbeOutcome::kUnclear);
  EXPECT_TRUE(hello.empty());
}

}  // namespace
}  // namespace quill
