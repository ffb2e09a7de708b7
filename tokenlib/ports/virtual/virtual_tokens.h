// Virtual tokens: devices reached over TCP on the loopback interface, joined
// to the platform's own HID and storage-face enumerations.
//
// At each discovery every configured endpoint is connected afresh; a peer
// that sends a valid hello line ("QVT1 hid <vid> <pid>\n" or
// "QVT1 cdrom <path>\n") within 500 ms becomes an opened device of that kind,
// listed after the platform's own devices of the same kind.
#pragma once

#include <memory>
#include <vector>

#include "config.h"
#include "platform.h"

namespace quill {

class VirtualTokens : public DiscoveryObserverPort {
 public:
  VirtualTokens(std::vector<LoopbackEndpoint> endpoints, OsErrorPort& osError);
  ~VirtualTokens() override;

  // Closes every connection of the previous discovery, then connects to each
  // endpoint in list order and reads its hello.
  void BeginDiscovery() override;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
  friend class JoinedHidPort;
  friend class JoinedStoragePort;
};

// The platform's HID devices, then the virtual hid-kind devices.
class JoinedHidPort : public HidPort {
 public:
  JoinedHidPort(HidPort& platform, VirtualTokens& virtualTokens);
  BindStatus Bind() override;
  void Unbind() override;
  std::unique_ptr<InterfaceListPort> ListInterfaces() override;
  std::unique_ptr<HidDevicePort> Open(const std::string& path) override;

 private:
  HidPort& platform_;
  VirtualTokens& virtual_;
};

// The platform's CD-ROM-class devices, then the virtual cdrom-kind devices.
class JoinedStoragePort : public StoragePort {
 public:
  JoinedStoragePort(StoragePort& platform, VirtualTokens& virtualTokens);
  std::unique_ptr<InterfaceListPort> ListInterfaces() override;
  std::unique_ptr<StorageDevicePort> Open(const std::string& path) override;

 private:
  StoragePort& platform_;
  VirtualTokens& virtual_;
};

}  // namespace quill
