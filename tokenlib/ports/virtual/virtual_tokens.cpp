#include "virtual_tokens.h"

#include <limits>
#include <mutex>
#include <string>
#include <utility>

#include "virtual_connection.h"
#include "virtual_devices.h"
#include "virtual_hello.h"

namespace quill {
namespace {

constexpr uint32_t kConnectTimeoutMs = 500;
constexpr uint32_t kHelloTimeoutMs = 500;

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Interface paths are compared as Windows compares them (the core also hands
// storage paths back lower-cased).
bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string EndpointText(const LoopbackEndpoint& endpoint) {
  const bool v6 = endpoint.host.find(':') != std::string::npos;
  return (v6 ? "[" + endpoint.host + "]" : endpoint.host) + ":" + std::to_string(endpoint.port);
}

// The platform's members at indices 0 .. n-1, then the virtual members at
// n, n+1, ... The platform's part ends where its list says it has no more
// members; a HID walk stops at its first failed member, so there any failure
// ends the platform's part.
class JoinedInterfaceList : public InterfaceListPort {
 public:
  JoinedInterfaceList(std::unique_ptr<InterfaceListPort> platform,
                      std::vector<std::string> virtualPaths, OsErrorPort& osError,
                      bool anyFailureEndsPlatform)
      : platform_(std::move(platform)),
        virtualPaths_(std::move(virtualPaths)),
        osError_(osError),
        anyFailureEndsPlatform_(anyFailureEndsPlatform),
        platformCount_(platform_ ? kUnknown : 0) {}

  bool Enumerate(uint32_t index) override {
    if (index < platformCount_) {
      if (platform_->Enumerate(index)) return true;
      if (!anyFailureEndsPlatform_ && osError_.Get() != kOsErrorNoMoreItems) return false;
      platformCount_ = index;
    }
    if (index - platformCount_ >= virtualPaths_.size()) {
      osError_.Set(kOsErrorNoMoreItems);
      return false;
    }
    osError_.Set(kOsErrorSuccess);
    return true;
  }

  bool Detail(uint32_t index, std::string* path) override {
    if (index < platformCount_) return platform_->Detail(index, path);
    if (index - platformCount_ >= virtualPaths_.size()) {
      osError_.Set(kOsErrorNoMoreItems);
      return false;
    }
    *path = virtualPaths_[index - platformCount_];
    osError_.Set(kOsErrorSuccess);
    return true;
  }

 private:
  static constexpr uint32_t kUnknown = std::numeric_limits<uint32_t>::max();

  std::unique_ptr<InterfaceListPort> platform_;
  const std::vector<std::string> virtualPaths_;
  OsErrorPort& osError_;
  const bool anyFailureEndsPlatform_;
  uint32_t platformCount_;  // kUnknown until the platform's list has ended
};

}  // namespace

class VirtualTokens::Impl {
 public:
  Impl(std::vector<LoopbackEndpoint> endpoints, OsErrorPort& osError)
      : endpoints_(std::move(endpoints)), osError_(osError) {}
  ~Impl() { CloseAll(); }

  OsErrorPort& osError() { return osError_; }

  void BeginDiscovery() {
    std::lock_guard<std::mutex> hold(mutex_);
    CloseAll();
    for (size_t i = 0; i < endpoints_.size(); ++i) Connect(endpoints_[i], i);
    // Refused or silent endpoints are no failure of the discovery.
    osError_.Set(kOsErrorSuccess);
  }

  // The listed paths of this discovery's devices of one kind, in order.
  std::vector<std::string> Paths(VirtualKind kind) {
    std::lock_guard<std::mutex> hold(mutex_);
    std::vector<std::string> paths;
    for (const auto& connection : connections_) {
      if (connection->hello().kind == kind) paths.push_back(connection->path());
    }
    return paths;
  }

  // The first unclaimed connection of this discovery listed under path, now
  // claimed; nullptr when there is none.
  std::shared_ptr<VirtualConnection> Claim(VirtualKind kind, const std::string& path) {
    std::lock_guard<std::mutex> hold(mutex_);
    for (const auto& connection : connections_) {
      if (connection->hello().kind == kind && SamePath(connection->path(), path) &&
          connection->TryClaim()) {
        return connection;
      }
    }
    return nullptr;
  }

 private:
  void CloseAll() {
    for (const auto& connection : connections_) connection->Close();
    connections_.clear();
  }

  void Connect(const LoopbackEndpoint& endpoint, size_t position) {
    std::unique_ptr<LoopbackSocket> socket = ConnectLoopback(endpoint, kConnectTimeoutMs);
    if (!socket) return;
    std::string line;
    VirtualHello hello;
    if (!ReadHelloLine(*socket, kHelloTimeoutMs, &line) || !ParseVirtualHello(line, &hello)) {
      return;
    }
    std::string path = hello.path;
    if (hello.kind == VirtualKind::kHid) {
      path = "virtual-hid:" + EndpointText(endpoint);
      // The same endpoint listed twice still gives two distinct devices.
      for (const auto& earlier : connections_) {
        if (earlier->path() == path) path += "#" + std::to_string(position);
      }
    }
    connections_.push_back(
        std::make_shared<VirtualConnection>(std::move(socket), std::move(hello), std::move(path)));
  }

  const std::vector<LoopbackEndpoint> endpoints_;
  OsErrorPort& osError_;
  std::mutex mutex_;
  std::vector<std::shared_ptr<VirtualConnection>> connections_;
};

VirtualTokens::VirtualTokens(std::vector<LoopbackEndpoint> endpoints, OsErrorPort& osError)
    : impl_(std::make_unique<Impl>(std::move(endpoints), osError)) {}

VirtualTokens::~VirtualTokens() = default;

void VirtualTokens::BeginDiscovery() {
  impl_->BeginDiscovery();
}

JoinedHidPort::JoinedHidPort(HidPort& platform, VirtualTokens& virtualTokens)
    : platform_(platform), virtual_(virtualTokens) {}

BindStatus JoinedHidPort::Bind() {
  return platform_.Bind();
}

void JoinedHidPort::Unbind() {
  platform_.Unbind();
}

std::unique_ptr<InterfaceListPort> JoinedHidPort::ListInterfaces() {
  std::unique_ptr<InterfaceListPort> platformList = platform_.ListInterfaces();
  std::vector<std::string> paths = virtual_.impl_->Paths(VirtualKind::kHid);
  if (paths.empty()) return platformList;
  return std::make_unique<JoinedInterfaceList>(std::move(platformList), std::move(paths),
                                               virtual_.impl_->osError(), true);
}

std::unique_ptr<HidDevicePort> JoinedHidPort::Open(const std::string& path) {
  std::shared_ptr<VirtualConnection> connection = virtual_.impl_->Claim(VirtualKind::kHid, path);
  if (!connection) return platform_.Open(path);
  return MakeVirtualHidDevice(std::move(connection), virtual_.impl_->osError());
}

JoinedStoragePort::JoinedStoragePort(StoragePort& platform, VirtualTokens& virtualTokens)
    : platform_(platform), virtual_(virtualTokens) {}

std::unique_ptr<InterfaceListPort> JoinedStoragePort::ListInterfaces() {
  std::unique_ptr<InterfaceListPort> platformList = platform_.ListInterfaces();
  std::vector<std::string> paths = virtual_.impl_->Paths(VirtualKind::kCdrom);
  if (paths.empty()) return platformList;
  return std::make_unique<JoinedInterfaceList>(std::move(platformList), std::move(paths),
                                               virtual_.impl_->osError(), false);
}

std::unique_ptr<StorageDevicePort> JoinedStoragePort::Open(const std::string& path) {
  std::shared_ptr<VirtualConnection> connection = virtual_.impl_->Claim(VirtualKind::kCdrom, path);
  if (!connection) return platform_.Open(path);
  return MakeVirtualStorageDevice(std::move(connection), virtual_.impl_->osError());
}

}  // namespace quill
