#include "fake_platform.h"

#include <algorithm>
#include <cstring>

#include "library_state.h"

namespace quill::fake {
namespace {

class FakeInterfaceList : public InterfaceListPort {
 public:
  FakeInterfaceList(std::vector<FakeInterface> interfaces, FakeOsError& osError)
      : interfaces_(std::move(interfaces)), osError_(osError) {}

  bool Enumerate(uint32_t index) override {
    if (index >= interfaces_.size()) {
      osError_.value = kOsErrorNoMoreItems;
      return false;
    }
    if (interfaces_[index].enumerateFails) {
      osError_.value = kOsErrorGenFailure;
      return false;
    }
    return true;
  }

  bool Detail(uint32_t index, std::string* path) override {
    if (index >= interfaces_.size() || interfaces_[index].detailFails) return false;
    *path = interfaces_[index].path;
    return true;
  }

 private:
  std::vector<FakeInterface> interfaces_;
  FakeOsError& osError_;
};

const FakeInterface* FindByPath(const std::vector<FakeInterface>& interfaces,
                                const std::string& path, bool caseInsensitive) {
  for (const FakeInterface& candidate : interfaces) {
    std::string a = candidate.path;
    std::string b = path;
    if (caseInsensitive) {
      std::transform(a.begin(), a.end(), a.begin(), ::tolower);
      std::transform(b.begin(), b.end(), b.begin(), ::tolower);
    }
    if (a == b) return &candidate;
  }
  return nullptr;
}

// A HID device: the request written is exchanged with the scripted token, and
// the step decides what the following read delivers.
class FakeHidDevice : public HidDevicePort {
 public:
  FakeHidDevice(FakeInterface spec, FakeOsError& osError)
      : spec_(std::move(spec)), osError_(osError) {}

  bool GetAttributes(uint16_t* vendorId, uint16_t* productId) override {
    if (spec_.attributesFail) return false;
    *vendorId = spec_.vendorId;
    *productId = spec_.productId;
    return true;
  }

  bool FlushQueue() override {
    pending_ = false;
    if (spec_.token && spec_.token->flushFailures > 0) {
      --spec_.token->flushFailures;
      return false;
    }
    return true;
  }

  IoStatus Write(const uint8_t* report, size_t length, uint32_t, size_t* written) override {
    *written = 0;
    if (!spec_.token || length != kFrameSize + 1) {
      osError_.value = kOsErrorTimeout;
      return IoStatus::kTimeout;
    }
    step_ = spec_.token->Exchange(report + 1, answer_ + 1);
    switch (step_.transport) {
      case Step::Transport::kWriteTimeout:
        osError_.value = kOsErrorTimeout;
        return IoStatus::kTimeout;
      case Step::Transport::kShortWrite:
        *written = length - 1;
        return IoStatus::kOk;
      default:
        break;
    }
    *written = length;
    pending_ = true;
    osError_.value = 0;
    return IoStatus::kOk;
  }

  IoStatus Read(uint8_t* report, size_t length, uint32_t, size_t* received) override {
    *received = 0;
    if (!pending_) {
      osError_.value = kOsErrorTimeout;
      return IoStatus::kTimeout;
    }
    pending_ = false;
    switch (step_.transport) {
      case Step::Transport::kReadTimeout:
        osError_.value = kOsErrorTimeout;
        return IoStatus::kTimeout;
      case Step::Transport::kReadFails:
        osError_.value = kOsErrorGenFailure;
        return IoStatus::kFailed;
      case Step::Transport::kDeviceGone:
        osError_.value = kOsErrorDeviceNotConnected;
        return IoStatus::kFailed;
      default:
        break;
    }
    answer_[0] = 0;
    size_t count =
        step_.transport == Step::Transport::kShortRead ? step_.readLength : kFrameSize + 1;
    count = std::min(count, length);
    std::memcpy(report, answer_, count);
    *received = count;
    osError_.value = 0;
    return IoStatus::kOk;
  }

 private:
  FakeInterface spec_;
  FakeOsError& osError_;
  Step step_;
  uint8_t answer_[kFrameSize + 1] = {};
  bool pending_ = false;
};

class FakeStorageDevice : public StorageDevicePort {
 public:
  FakeStorageDevice(FakeInterface spec, FakeOsError& osError)
      : spec_(std::move(spec)), osError_(osError) {}

  PassThroughStatus PassThrough(ScsiDirection direction, uint8_t* data, size_t length,
                                uint32_t) override {
    if (length != kFrameSize || !spec_.token) return PassThroughStatus::kWaitTimeout;
    if (direction == ScsiDirection::kDataOut) {
      step_ = spec_.token->Exchange(data, answer_);
      if (step_.transport == Step::Transport::kWriteTimeout) return PassThroughStatus::kWaitTimeout;
      pending_ = true;
      return PassThroughStatus::kOk;
    }
    if (!pending_) return PassThroughStatus::kWaitTimeout;
    pending_ = false;
    switch (step_.transport) {
      case Step::Transport::kReadTimeout:
        return PassThroughStatus::kWaitTimeout;
      case Step::Transport::kDeviceGone:
        osError_.value = kOsErrorDeviceNotConnected;
        return PassThroughStatus::kRequestFailed;
      case Step::Transport::kScsiError:
        return PassThroughStatus::kScsiError;
      case Step::Transport::kNothingTransferred:
        return PassThroughStatus::kNothingTransferred;
      default:
        break;
    }
    std::memcpy(data, answer_, kFrameSize);
    return PassThroughStatus::kOk;
  }

 private:
  FakeInterface spec_;
  FakeOsError& osError_;
  Step step_;
  uint8_t answer_[kFrameSize] = {};
  bool pending_ = false;
};

}  // namespace

BindStatus FakeHidPort::Bind() {
  ++binds;
  return bindStatus;
}

std::unique_ptr<InterfaceListPort> FakeHidPort::ListInterfaces() {
  return std::make_unique<FakeInterfaceList>(interfaces, osError_);
}

std::unique_ptr<HidDevicePort> FakeHidPort::Open(const std::string& path) {
  const FakeInterface* spec = FindByPath(interfaces, path, false);
  if (spec == nullptr || spec->openFails) return nullptr;
  ++opened;
  return std::make_unique<FakeHidDevice>(*spec, osError_);
}

std::unique_ptr<InterfaceListPort> FakeStoragePort::ListInterfaces() {
  if (listFails) return nullptr;
  return std::make_unique<FakeInterfaceList>(interfaces, osError_);
}

std::unique_ptr<StorageDevicePort> FakeStoragePort::Open(const std::string& path) {
  // Interface paths are case-insensitive, as the library keeps them in lower case.
  const FakeInterface* spec = FindByPath(interfaces, path, true);
  if (spec == nullptr || spec->openFails) return nullptr;
  if (openFailures > 0) {
    --openFailures;
    return nullptr;
  }
  openedPaths.push_back(path);
  return std::make_unique<FakeStorageDevice>(*spec, osError_);
}

FakePlatform::FakePlatform() {
  config =
      ParseTokenConfig([](const char*, std::string*) { return false; }, [](const std::string&) {});
  platform.osError = &osError;
  platform.clock = &clock;
  platform.lock = &lock;
  platform.hid = &hid;
  platform.storage = &storage;
  ResetLibrary(&platform, &config);
}

FakePlatform::~FakePlatform() {
  ResetLibrary(nullptr, nullptr);
}

std::shared_ptr<ScriptedToken> FakePlatform::NewToken() {
  return std::make_shared<ScriptedToken>(config.frameKey);
}

std::shared_ptr<ScriptedToken> FakePlatform::AddHidToken(uint16_t vendorId, uint16_t productId) {
  FakeInterface spec;
  spec.path = "\\\\?\\hid#fake&" + std::to_string(hid.interfaces.size());
  spec.vendorId = vendorId;
  spec.productId = productId;
  spec.token = NewToken();
  hid.interfaces.push_back(spec);
  return spec.token;
}

std::shared_ptr<ScriptedToken> FakePlatform::AddStorageToken(const std::string& path) {
  FakeInterface spec;
  spec.path = path;
  spec.token = NewToken();
  storage.interfaces.push_back(spec);
  return spec.token;
}

}  // namespace quill::fake
