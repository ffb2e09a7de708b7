// Virtual tokens against small token peers served from test threads.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "loopback_socket.h"
#include "virtual_hello.h"
#include "virtual_tokens.h"

namespace quill {
namespace {

constexpr size_t kReport = 249;
constexpr size_t kFrame = 248;

// The last-error value is per thread, as the operating system's is.
// Device objects may outlive the ports that opened them: the value has no owner.
class ThreadOsError : public OsErrorPort {
 public:
  uint32_t Get() override { return Value(); }
  void Set(uint32_t value) override { Value() = value; }

 private:
  static uint32_t& Value() {
    thread_local uint32_t value = 0;
    return value;
  }
};

OsErrorPort& TestOsError() {
  static ThreadOsError osError;
  return osError;
}

// A platform interface list; the member at failingIndex cannot be enumerated.
class FakeList : public InterfaceListPort {
 public:
  FakeList(std::vector<std::string> paths, uint32_t failingIndex, OsErrorPort& osError)
      : paths_(std::move(paths)), failingIndex_(failingIndex), osError_(osError) {}
  bool Enumerate(uint32_t index) override {
    osError_.Set(index == failingIndex_  ? kOsErrorGenFailure
                 : index < paths_.size() ? kOsErrorSuccess
                                         : kOsErrorNoMoreItems);
    return osError_.Get() == kOsErrorSuccess;
  }
  bool Detail(uint32_t index, std::string* path) override {
    if (index >= paths_.size()) return false;
    *path = paths_[index];
    return true;
  }

 private:
  std::vector<std::string> paths_;
  uint32_t failingIndex_;
  OsErrorPort& osError_;
};

// The platform's own members of one kind, and the paths it was asked to open.
struct FakeMembers {
  std::unique_ptr<InterfaceListPort> List(OsErrorPort& osError) {
    if (!hasList) return nullptr;
    return std::make_unique<FakeList>(paths, failingIndex, osError);
  }
  std::vector<std::string> paths{"platform-0"};
  uint32_t failingIndex = UINT32_MAX;
  bool hasList = true;
  std::vector<std::string> opened;
};

class FakeHidPort : public HidPort, public FakeMembers {
 public:
  explicit FakeHidPort(OsErrorPort& osError) : osError_(osError) {}
  BindStatus Bind() override { return BindStatus::kBound; }
  void Unbind() override {}
  std::unique_ptr<InterfaceListPort> ListInterfaces() override { return List(osError_); }
  std::unique_ptr<HidDevicePort> Open(const std::string& path) override {
    opened.push_back(path);
    return nullptr;
  }

 private:
  OsErrorPort& osError_;
};

class FakeStoragePort : public StoragePort, public FakeMembers {
 public:
  explicit FakeStoragePort(OsErrorPort& osError) : osError_(osError) {}
  std::unique_ptr<InterfaceListPort> ListInterfaces() override { return List(osError_); }
  std::unique_ptr<StorageDevicePort> Open(const std::string& path) override {
    opened.push_back(path);
    return nullptr;
  }

 private:
  OsErrorPort& osError_;
};

// Walks a list as discovery does: a HID walk ends at its first failure, a
// storage walk only at the end of the list.
std::vector<std::string> Walk(InterfaceListPort& list, bool hidWalk, OsErrorPort& osError) {
  std::vector<std::string> paths;
  for (uint32_t index = 0; index < 64; ++index) {
    if (!list.Enumerate(index)) {
      if (hidWalk || osError.Get() == kOsErrorNoMoreItems) break;
      continue;
    }
    std::string path;
    if (list.Detail(index, &path)) paths.push_back(path);
  }
  return paths;
}

// --- Token peers -------------------------------------------------------------

// A peer's send fails when the side under test has already gone, which some
// tests do on purpose: what they check is on that side.
bool Send(int fd, const std::string& bytes) {
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
}

bool Receive(int fd, uint8_t* data, size_t length) {
  for (size_t got = 0; got < length;) {
    const ssize_t n = recv(fd, data + got, length - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

void WaitForClose(int fd) {
  uint8_t byte;
  while (recv(fd, &byte, 1, 0) > 0) {
  }
}

// Answers every request of `size` bytes with each byte plus one (a report
// keeps its id 0).
void AnswerRequests(int fd, size_t size) {
  std::string buffer(size, '\0');
  while (Receive(fd, reinterpret_cast<uint8_t*>(&buffer[0]), size)) {
    for (size_t i = size == kReport ? 1 : 0; i < size; ++i) ++buffer[i];
    if (!Send(fd, buffer)) return;
  }
}

// Accepts connections on 127.0.0.1 and runs script on each, one at a time.
class TestToken {
 public:
  explicit TestToken(std::function<void(int)> script) : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    listen(listener_, 8);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TestToken() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      stopping_ = true;
      if (active_ >= 0) shutdown(active_, SHUT_RDWR);
    }
    thread_.join();
    close(listener_);
  }
  LoopbackEndpoint endpoint(const char* host = "127.0.0.1") const { return {host, port_}; }

 private:
  void Serve() {
    while (!stopping_) {
      pollfd entry{listener_, POLLIN, 0};
      if (poll(&entry, 1, 20) <= 0) continue;
      const int fd = accept(listener_, nullptr, nullptr);
      if (fd < 0) continue;
      {
        std::lock_guard<std::mutex> hold(mutex_);
        active_ = fd;
      }
      script_(fd);
      std::lock_guard<std::mutex> hold(mutex_);
      active_ = -1;
      close(fd);
    }
  }

  std::function<void(int)> script_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::mutex mutex_;
  int active_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

std::function<void(int)> HelloThen(std::string hello, std::function<void(int)> then) {
  return [hello, then](int fd) {
    Send(fd, hello);
    then(fd);
  };
}

std::function<void(int)> HidToken(const std::string& hello = "QVT1 hid 1234 abcd\n") {
  return HelloThen(hello, [](int fd) { AnswerRequests(fd, kReport); });
}

std::function<void(int)> CdromToken(const std::string& path) {
  return HelloThen("QVT1 cdrom " + path + "\n", [](int fd) { AnswerRequests(fd, kFrame); });
}

LoopbackEndpoint RefusingEndpoint() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return {"127.0.0.1", ntohs(address.sin_port)};
}

// Virtual tokens joined to a platform with one member of each kind.
struct Rig {
  explicit Rig(std::vector<LoopbackEndpoint> endpoints)
      : tokens(std::move(endpoints), osError),
        hid(hidPlatform, tokens),
        storage(storagePlatform, tokens) {
    tokens.BeginDiscovery();
  }
  std::vector<std::string> HidPaths() { return Walk(*hid.ListInterfaces(), true, osError); }
  std::vector<std::string> StoragePaths() {
    return Walk(*storage.ListInterfaces(), false, osError);
  }
  std::unique_ptr<HidDevicePort> OpenHid(size_t position) {
    return hid.Open(HidPaths().at(position));
  }

  OsErrorPort& osError = TestOsError();
  FakeHidPort hidPlatform{osError};
  FakeStoragePort storagePlatform{osError};
  VirtualTokens tokens;
  JoinedHidPort hid;
  JoinedStoragePort storage;
};

std::vector<uint8_t> Report(uint8_t first) {
  std::vector<uint8_t> report(kReport);
  for (size_t i = 1; i < kReport; ++i) report[i] = static_cast<uint8_t>(first + i);
  return report;
}

// --- The socket itself ----------------------------------------------------------

// ReadSome hands back what has arrived without waiting for more, tells a
// silent peer from a closed one, and leaves the socket usable after a timeout.
TEST(LoopbackSocketReadSome, TakesWhatArrivedThenTimesOutThenSeesTheClose) {
  TestToken peer([](int fd) {
    Send(fd, "abc");
    uint8_t go;
    if (Receive(fd, &go, 1)) Send(fd, "d");
  });
  auto socket = ConnectLoopback(peer.endpoint(), 1000);
  ASSERT_NE(socket, nullptr);

  uint8_t buffer[16] = {};
  size_t received = 0;
  EXPECT_EQ(socket->ReadSome(buffer, 0, 2000, &received), SocketStatus::kOk) << "room for nothing";
  EXPECT_EQ(received, 0u);
  ASSERT_EQ(socket->ReadSome(buffer, sizeof buffer, 2000, &received), SocketStatus::kOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), received), "abc");

  EXPECT_EQ(socket->ReadSome(buffer, sizeof buffer, 30, &received), SocketStatus::kTimeout);
  EXPECT_EQ(received, 0u);

  const uint8_t go = 1;
  size_t written = 0;
  ASSERT_EQ(socket->WriteAll(&go, 1, 1000, &written), SocketStatus::kOk);
  ASSERT_EQ(socket->ReadSome(buffer, 1, 2000, &received), SocketStatus::kOk);
  EXPECT_EQ(buffer[0], 'd');
  EXPECT_EQ(socket->ReadSome(buffer, sizeof buffer, 2000, &received), SocketStatus::kClosed);
  EXPECT_EQ(received, 0u);

  socket->Close();
  EXPECT_EQ(socket->ReadSome(buffer, sizeof buffer, 10, &received), SocketStatus::kClosed);
}

// --- Hello line ----------------------------------------------------------------

TEST(VirtualHello, AcceptsBothKindsWithHexInEitherCase) {
  VirtualHello hello;
  ASSERT_TRUE(ParseVirtualHello("QVT1 hid 0aBc F00d\n", &hello));
  EXPECT_EQ(hello.kind, VirtualKind::kHid);
  EXPECT_EQ(hello.vendorId, 0x0ABC);
  EXPECT_EQ(hello.productId, 0xF00D);

  ASSERT_TRUE(ParseVirtualHello("QVT1 cdrom \\\\?\\USBSTOR#CdRom&Ven_Quill\n", &hello));
  EXPECT_EQ(hello.kind, VirtualKind::kCdrom);
  EXPECT_EQ(hello.path, "\\\\?\\USBSTOR#CdRom&Ven_Quill");
  EXPECT_TRUE(ParseVirtualHello("QVT1 cdrom " + std::string(260, 'p') + "\n", &hello));
}

TEST(VirtualHello, RejectsEverythingElse) {
  const std::string bad[] = {
      "",
      "QVT1 hid 1234 5678",        // no line feed
      "QVT1 hid 1234 5678\r\n",    // carriage return
      "QVT1 hid 1234 5678 \n",     // trailing blank
      "QVT1 hid 1234  5678\n",     // two blanks
      "QVT1 hid 123 45678\n",      // wrong digit counts
      "QVT1 hid 12345 678\n",      //
      "QVT1 hid 12g4 5678\n",      // not hexadecimal
      "QVT1 hid 1234 5678\nQVT1",  // something after the line
      "qvt1 hid 1234 5678\n",      // case of the keyword
      "QVT2 hid 1234 5678\n",      // another version
      "QVT1 usb 1234 5678\n",      // unknown kind
      "QVT1 cdrom \n",             // empty path
      "QVT1 cdrom a b\n",          // blank in the path
      "QVT1 cdrom a\tb\n",         // control character in the path
      "QVT1 cdrom " + std::string(261, 'p') + "\n",
  };
  for (const std::string& line : bad) {
    VirtualHello hello;
    EXPECT_FALSE(ParseVirtualHello(line, &hello)) << line;
  }
}

// --- Discovery and the joined lists ------------------------------------------

TEST(VirtualDiscovery, ListsValidTokensAfterThePlatformInEndpointOrder) {
  TestToken hid1(HidToken("QVT1 hid ABCD 0102\n"));
  TestToken malformed(HelloThen("QVT1 hid 1234\n", WaitForClose));
  TestToken tooLong(HelloThen("QVT1 cdrom " + std::string(300, 'x'), WaitForClose));
  TestToken silent(WaitForClose);
  TestToken cdrom(CdromToken("\\\\?\\virtual#cdrom&quill"));
  TestToken hid2(HidToken("QVT1 hid 1111 2222\n"));
  Rig rig({hid1.endpoint(), RefusingEndpoint(), malformed.endpoint(), tooLong.endpoint(),
           silent.endpoint(), cdrom.endpoint(), hid2.endpoint("localhost")});

  const std::vector<std::string> hidPaths = rig.HidPaths();
  ASSERT_EQ(hidPaths.size(), 3u);
  EXPECT_EQ(hidPaths[0], "platform-0");
  EXPECT_EQ(hidPaths[1], "virtual-hid:127.0.0.1:" + std::to_string(hid1.endpoint().port));
  EXPECT_EQ(hidPaths[2], "virtual-hid:localhost:" + std::to_string(hid2.endpoint().port));
  EXPECT_EQ(rig.StoragePaths(),
            (std::vector<std::string>{"platform-0", "\\\\?\\virtual#cdrom&quill"}));

  uint16_t vendor = 0;
  uint16_t product = 0;
  ASSERT_TRUE(rig.hid.Open(hidPaths[1])->GetAttributes(&vendor, &product));
  EXPECT_EQ(vendor, 0xABCD);
  EXPECT_EQ(product, 0x0102);
  ASSERT_TRUE(rig.hid.Open(hidPaths[2])->GetAttributes(&vendor, &product));
  EXPECT_EQ(vendor, 0x1111);

  EXPECT_EQ(rig.hid.Open("platform-0"), nullptr);
  EXPECT_EQ(rig.hidPlatform.opened, std::vector<std::string>{"platform-0"});
}

TEST(VirtualDiscovery, JoinedListsKeepEachWalksRules) {
  TestToken hid(HidToken());
  TestToken cdrom(CdromToken("cd"));
  Rig rig({hid.endpoint(), cdrom.endpoint()});
  const std::string hidPath = "virtual-hid:127.0.0.1:" + std::to_string(hid.endpoint().port);

  // A storage walk skips a member that fails and goes on with the platform.
  rig.storagePlatform.paths = {"p0", "p1", "p2"};
  rig.storagePlatform.failingIndex = 1;
  EXPECT_EQ(rig.StoragePaths(), (std::vector<std::string>{"p0", "p2", "cd"}));

  // A HID walk stops at its first failure: the virtual members come right there.
  rig.hidPlatform.paths = {"p0", "p1", "p2"};
  rig.hidPlatform.failingIndex = 1;
  EXPECT_EQ(rig.HidPaths(), (std::vector<std::string>{"p0", hidPath}));

  // No platform list at all: the virtual members alone.
  rig.hidPlatform.hasList = false;
  EXPECT_EQ(rig.HidPaths(), std::vector<std::string>{hidPath});

  // No virtual members: exactly the platform's answer.
  Rig empty({});
  empty.hidPlatform.hasList = false;
  EXPECT_EQ(empty.hid.ListInterfaces(), nullptr);
}

TEST(VirtualDiscovery, StorageOpenTakesTheLowerCasedPathAndDuplicatesInOrder) {
  TestToken first(CdromToken("\\\\?\\Quill#CdRom"));
  TestToken second(HelloThen("QVT1 cdrom \\\\?\\Quill#CdRom\n", [](int fd) {
    uint8_t frame[kFrame];
    while (Receive(fd, frame, kFrame) && Send(fd, std::string(kFrame, 'B'))) {
    }
  }));
  Rig rig({first.endpoint(), second.endpoint()});

  auto a = rig.storage.Open("\\\\?\\quill#cdrom");
  auto b = rig.storage.Open("\\\\?\\quill#cdrom");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(rig.storage.Open("\\\\?\\quill#cdrom"), nullptr);  // both taken: the platform's
  EXPECT_EQ(rig.storagePlatform.opened.size(), 1u);

  uint8_t frame[kFrame] = {};
  ASSERT_EQ(b->PassThrough(ScsiDirection::kDataOut, frame, kFrame, 5000), PassThroughStatus::kOk);
  ASSERT_EQ(b->PassThrough(ScsiDirection::kDataIn, frame, kFrame, 5000), PassThroughStatus::kOk);
  EXPECT_EQ(frame[0], 'B');

  // A closed device gives its connection back.
  a.reset();
  EXPECT_NE(rig.storage.Open("\\\\?\\quill#cdrom"), nullptr);
}

// --- HID exchange --------------------------------------------------------------

TEST(VirtualHid, RoundTripsAReportAndClearsAStaleError) {
  TestToken token(HidToken());
  Rig rig({token.endpoint()});
  auto device = rig.OpenHid(1);
  ASSERT_NE(device, nullptr);

  rig.osError.Set(kOsErrorDeviceNotConnected);
  const std::vector<uint8_t> request = Report(7);
  size_t written = 0;
  ASSERT_EQ(device->Write(request.data(), kReport, 500, &written), IoStatus::kOk);
  EXPECT_EQ(written, kReport);
  EXPECT_EQ(rig.osError.Get(), kOsErrorSuccess);

  std::vector<uint8_t> answer(kReport);
  size_t received = 0;
  ASSERT_EQ(device->Read(answer.data(), kReport, 2000, &received), IoStatus::kOk);
  EXPECT_EQ(received, kReport);
  EXPECT_EQ(answer, Report(8));
}

TEST(VirtualHid, FlushDropsInputThatIsAlreadyWaiting) {
  TestToken token(HelloThen("QVT1 hid 1234 abcd\n" + std::string(100, 'x'),
                            [](int fd) { AnswerRequests(fd, kReport); }));
  Rig rig({token.endpoint()});
  auto device = rig.OpenHid(1);

  ASSERT_TRUE(device->FlushQueue());
  size_t moved = 0;
  ASSERT_EQ(device->Write(Report(1).data(), kReport, 500, &moved), IoStatus::kOk);
  std::vector<uint8_t> answer(kReport);
  ASSERT_EQ(device->Read(answer.data(), kReport, 2000, &moved), IoStatus::kOk);
  EXPECT_EQ(answer, Report(2));
  EXPECT_TRUE(device->FlushQueue());  // nothing waiting is no failure
}

TEST(VirtualHid, ReadWithoutAnAnswerTimesOut) {
  TestToken token(HelloThen("QVT1 hid 1234 abcd\n", WaitForClose));
  Rig rig({token.endpoint()});
  auto device = rig.OpenHid(1);

  std::vector<uint8_t> answer(kReport);
  size_t received = 0;
  EXPECT_EQ(device->Read(answer.data(), kReport, 50, &received), IoStatus::kTimeout);
  EXPECT_EQ(rig.osError.Get(), kOsErrorTimeout);
}

// The peer closes in the middle of an answer: the part that came is a report
// of the wrong length; after that the device is gone.
TEST(VirtualHid, PeerCloseReportsDeviceNotConnected) {
  TestToken token(HelloThen("QVT1 hid 1234 abcd\n", [](int fd) {
    uint8_t request[kReport];
    if (Receive(fd, request, kReport)) Send(fd, std::string(100, 'a'));
  }));
  Rig rig({token.endpoint()});
  auto device = rig.OpenHid(1);

  size_t moved = 0;
  ASSERT_EQ(device->Write(Report(0).data(), kReport, 500, &moved), IoStatus::kOk);
  std::vector<uint8_t> answer(kReport);
  EXPECT_EQ(device->Read(answer.data(), kReport, 2000, &moved), IoStatus::kOk);
  EXPECT_EQ(moved, 100u);
  EXPECT_EQ(rig.osError.Get(), kOsErrorDeviceNotConnected);

  EXPECT_EQ(device->Read(answer.data(), kReport, 2000, &moved), IoStatus::kFailed);
  EXPECT_EQ(rig.osError.Get(), kOsErrorDeviceNotConnected);
  EXPECT_FALSE(device->FlushQueue());
  EXPECT_EQ(rig.osError.Get(), kOsErrorDeviceNotConnected);
}

TEST(VirtualHid, PeerResetReportsDeviceNotConnected) {
  TestToken token(HelloThen("QVT1 hid 1234 abcd\n", [](int fd) {
    uint8_t request[kReport];
    Receive(fd, request, kReport);
    const linger abort{1, 0};  // closing now resets the connection
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  }));
  Rig rig({token.endpoint()});
  auto device = rig.OpenHid(1);

  size_t moved = 0;
  ASSERT_EQ(device->Write(Report(0).data(), kReport, 500, &moved), IoStatus::kOk);
  std::vector<uint8_t> answer(kReport);
  EXPECT_EQ(device->Read(answer.data(), kReport, 2000, &moved), IoStatus::kFailed);
  EXPECT_EQ(rig.osError.Get(), kOsErrorDeviceNotConnected);
  size_t written = 0;
  EXPECT_EQ(device->Write(Report(0).data(), kReport, 500, &written), IoStatus::kFailed);
  EXPECT_EQ(rig.osError.Get(), kOsErrorDeviceNotConnected);
}

TEST(VirtualHid, DeviceFromAnEarlierDiscoveryFailsCleanly) {
  TestToken token(HidToken());
  auto rig = std::make_unique<Rig>(std::vector<LoopbackEndpoint>{token.endpoint()});
  auto old = rig->OpenHid(1);

  // A read waiting on another thread ends when the next discovery starts.
  IoStatus waited = IoStatus::kOk;
  uint32_t waitedError = 0;
  std::thread reader([&] {
    std::vector<uint8_t> answer(kReport);
    size_t received = 0;
    waited = old->Read(answer.data(), kReport, 20000, &received);
    waitedError = rig->osError.Get();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  rig->tokens.BeginDiscovery();
  reader.join();
  EXPECT_EQ(waited, IoStatus::kFailed);
  EXPECT_EQ(waitedError, kOsErrorDeviceNotConnected);

  size_t moved = 0;
  EXPECT_EQ(old->Write(Report(0).data(), kReport, 500, &moved), IoStatus::kFailed);
  EXPECT_EQ(rig->osError.Get(), kOsErrorDeviceNotConnected);
  EXPECT_FALSE(old->FlushQueue());

  // The new discovery's device works; the old one outlives its port.
  auto fresh = rig->OpenHid(1);
  ASSERT_EQ(fresh->Write(Report(0).data(), kReport, 500, &moved), IoStatus::kOk);
  rig.reset();
  EXPECT_EQ(old->Write(Report(0).data(), kReport, 500, &moved), IoStatus::kFailed);
}

// --- Storage-face exchange -----------------------------------------------------

TEST(VirtualCdrom, RoundTripsAFrame) {
  TestToken token(CdromToken("cd"));
  Rig rig({token.endpoint()});
  auto device = rig.storage.Open("cd");
  ASSERT_NE(device, nullptr);

  uint8_t frame[kFrame];
  for (size_t i = 0; i < kFrame; ++i) frame[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(device->PassThrough(ScsiDirection::kDataOut, frame, kFrame, 5000),
            PassThroughStatus::kOk);
  uint8_t answer[kFrame] = {};
  ASSERT_EQ(device->PassThrough(ScsiDirection::kDataIn, answer, kFrame, 5000),
            PassThroughStatus::kOk);
  for (size_t i = 0; i < kFrame; ++i) EXPECT_EQ(answer[i], static_cast<uint8_t>(i + 1)) << i;
  EXPECT_EQ(rig.osError.Get(), kOsErrorSuccess);
}

TEST(VirtualCdrom, TimeoutThenPeerClose) {
  TestToken token(HelloThen("QVT1 cdrom cd\n", [](int fd) {
    uint8_t frame[kFrame];
    Receive(fd, frame, kFrame);  // then close without an answer
  }));
  Rig rig({token.endpoint()});
  auto device = rig.storage.Open("cd");

  uint8_t frame[kFrame] = {};
  EXPECT_EQ(device->PassThrough(ScsiDirection::kDataIn, frame, kFrame, 50),
            PassThroughStatus::kWaitTimeout);
  ASSERT_EQ(device->PassThrough(ScsiDirection::kDataOut, frame, kFrame, 5000),
            PassThroughStatus::kOk);
  EXPECT_EQ(device->PassThrough(ScsiDirection::kDataIn, frame, kFrame, 5000),
            PassThroughStatus::kRequestFailed);
  EXPECT_EQ(rig.osError.Get(), kOsErrorDeviceNotConnected);
}

}  // namespace
}  // namespace quill
