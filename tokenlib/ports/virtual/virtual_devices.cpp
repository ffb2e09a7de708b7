#include "virtual_devices.h"

#include <algorithm>
#include <utility>

namespace quill {
namespace {

constexpr size_t kReportSize = 249;  // report id 0, then one frame
// The timeout the pass-through request gives the device itself.
constexpr uint32_t kDeviceTimeoutMs = 5000;

// The last-error value a request with this outcome leaves: a connection the
// peer closed or reset reads as a vanished device, so no one retries on it.
uint32_t OsErrorOf(SocketStatus status) {
  switch (status) {
    case SocketStatus::kOk:
      return kOsErrorSuccess;
    case SocketStatus::kTimeout:
      return kOsErrorTimeout;
    case SocketStatus::kClosed:
      return kOsErrorDeviceNotConnected;
    case SocketStatus::kFailed:
      break;
  }
  return kOsErrorGenFailure;
}

class ClaimedConnection {
 public:
  explicit ClaimedConnection(std::shared_ptr<VirtualConnection> connection)
      : connection_(std::move(connection)) {}
  ~ClaimedConnection() { connection_->Release(); }
  ClaimedConnection(const ClaimedConnection&) = delete;
  ClaimedConnection& operator=(const ClaimedConnection&) = delete;
  VirtualConnection* operator->() const { return connection_.get(); }

 private:
  std::shared_ptr<VirtualConnection> connection_;
};

class VirtualHidDevice : public HidDevicePort {
 public:
  VirtualHidDevice(std::shared_ptr<VirtualConnection> connection, OsErrorPort& osError)
      : connection_(std::move(connection)), osError_(osError) {}

  bool GetAttributes(uint16_t* vendorId, uint16_t* productId) override {
    *vendorId = connection_->hello().vendorId;
    *productId = connection_->hello().productId;
    osError_.Set(kOsErrorSuccess);
    return true;
  }

  bool FlushQueue() override {
    const SocketStatus status = connection_->Drain();
    osError_.Set(OsErrorOf(status));
    return status == SocketStatus::kOk;
  }

  IoStatus Write(const uint8_t* report, size_t length, uint32_t waitMs, size_t* written) override {
    *written = 0;
    if (length != kReportSize) {
      osError_.Set(kOsErrorGenFailure);
      return IoStatus::kFailed;
    }
    const SocketStatus status = connection_->WriteAll(report, length, waitMs, written);
    osError_.Set(OsErrorOf(status));
    return ToIoStatus(status);
  }

  IoStatus Read(uint8_t* report, size_t length, uint32_t waitMs, size_t* received) override {
    *received = 0;
    if (length < kReportSize) {
      osError_.Set(kOsErrorGenFailure);
      return IoStatus::kFailed;
    }
    const SocketStatus status = connection_->Read(report, kReportSize, waitMs, received);
    osError_.Set(OsErrorOf(status));
    // A report cut short by the peer closing is still a completed read: the
    // caller sees its wrong length.
    if (status == SocketStatus::kClosed && *received > 0) return IoStatus::kOk;
    return ToIoStatus(status);
  }

 private:
  static IoStatus ToIoStatus(SocketStatus status) {
    switch (status) {
      case SocketStatus::kOk:
        return IoStatus::kOk;
      case SocketStatus::kTimeout:
        return IoStatus::kTimeout;
      case SocketStatus::kClosed:
      case SocketStatus::kFailed:
        break;
    }
    return IoStatus::kFailed;
  }

  ClaimedConnection connection_;
  OsErrorPort& osError_;
};

class VirtualStorageDevice : public StorageDevicePort {
 public:
  VirtualStorageDevice(std::shared_ptr<VirtualConnection> connection, OsErrorPort& osError)
      : connection_(std::move(connection)), osError_(osError) {}

  PassThroughStatus PassThrough(ScsiDirection direction, uint8_t* data, size_t length,
                                uint32_t waitMs) override {
    const uint32_t stepMs = std::min(waitMs, kDeviceTimeoutMs);
    size_t moved = 0;
    const SocketStatus status = direction == ScsiDirection::kDataOut
                                    ? connection_->WriteAll(data, length, stepMs, &moved)
                                    : connection_->Read(data, length, stepMs, &moved);
    osError_.Set(OsErrorOf(status));
    switch (status) {
      case SocketStatus::kOk:
        return moved == 0 ? PassThroughStatus::kNothingTransferred : PassThroughStatus::kOk;
      case SocketStatus::kTimeout:
        return PassThroughStatus::kWaitTimeout;
      case SocketStatus::kClosed:
      case SocketStatus::kFailed:
        break;
    }
    return PassThroughStatus::kRequestFailed;
  }

 private:
  ClaimedConnection connection_;
  OsErrorPort& osError_;
};

}  // namespace

std::unique_ptr<HidDevicePort> MakeVirtualHidDevice(std::shared_ptr<VirtualConnection> connection,
                                                    OsErrorPort& osError) {
  return std::make_unique<VirtualHidDevice>(std::move(connection), osError);
}

std::unique_ptr<StorageDevicePort> MakeVirtualStorageDevice(
    std::shared_ptr<VirtualConnection> connection, OsErrorPort& osError) {
  return std::make_unique<VirtualStorageDevice>(std::move(connection), osError);
}

}  // namespace quill
