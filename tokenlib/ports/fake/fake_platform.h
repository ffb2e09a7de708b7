// In-memory ports for unit tests: scripted devices, a stepping clock, a lock
// that counts, and an operating-system error value of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config.h"
#include "platform.h"
#include "scripted_token.h"

namespace quill::fake {

class FakeOsError : public OsErrorPort {
 public:
  uint32_t Get() override { return value; }
  void Set(uint32_t v) override { value = v; }
  uint32_t value = 0;
};

// Each reading of the time moves it on by step, so successive random draws differ.
class FakeClock : public ClockPort {
 public:
  uint64_t FileTimeNow() override { return now += step; }
  void SleepMs(uint32_t ms) override { sleptMs += ms; }
  uint64_t now = 132000000000000000ull;
  uint64_t step = 7919;
  uint64_t sleptMs = 0;
};

class FakeExchangeLock : public ExchangeLockPort {
 public:
  bool Create() override {
    ++creates;
    return createSucceeds;
  }
  bool Wait(uint32_t timeoutMs) override {
    ++waits;
    lastWaitMs = timeoutMs;
    if (heldElsewhere) return false;
    held = true;
    return true;
  }
  void Release() override {
    ++releases;
    held = false;
  }
  bool createSucceeds = true;
  bool heldElsewhere = false;
  bool held = false;
  int creates = 0;
  int waits = 0;
  int releases = 0;
  uint32_t lastWaitMs = 0;
};

// One entry of a fake interface list.
struct FakeInterface {
  std::string path;
  bool enumerateFails = false;  // with kOsErrorGenFailure
  bool detailFails = false;
  bool openFails = false;
  bool attributesFail = false;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  std::shared_ptr<ScriptedToken> token;  // null: a device that never answers
};

class FakeHidPort : public HidPort {
 public:
  explicit FakeHidPort(FakeOsError& osError) : osError_(osError) {}
  BindStatus Bind() override;
  void Unbind() override { ++unbinds; }
  std::unique_ptr<InterfaceListPort> ListInterfaces() override;
  std::unique_ptr<HidDevicePort> Open(const std::string& path) override;

  BindStatus bindStatus = BindStatus::kBound;
  std::vector<FakeInterface> interfaces;
  int binds = 0;
  int unbinds = 0;
  int opened = 0;

 private:
  FakeOsError& osError_;
};

class FakeStoragePort : public StoragePort {
 public:
  explicit FakeStoragePort(FakeOsError& osError) : osError_(osError) {}
  std::unique_ptr<InterfaceListPort> ListInterfaces() override;
  std::unique_ptr<StorageDevicePort> Open(const std::string& path) override;

  bool listFails = false;
  int openFailures = 0;  // the next opens that fail
  std::vector<FakeInterface> interfaces;
  std::vector<std::string> openedPaths;

 private:
  FakeOsError& osError_;
};

// A whole fake platform, installed as the library's platform on construction
// (with a fresh library state) and detached on destruction.
class FakePlatform {
 public:
  FakePlatform();
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // A token answering with a scripted token under the configured frame key.
  std::shared_ptr<ScriptedToken> NewToken();
  std::shared_ptr<ScriptedToken> AddHidToken(uint16_t vendorId, uint16_t productId);
  std::shared_ptr<ScriptedToken> AddStorageToken(const std::string& path);

  FakeOsError osError;
  FakeClock clock;
  FakeExchangeLock lock;
  FakeHidPort hid{osError};
  FakeStoragePort storage{osError};
  TokenConfig config;
  Platform platform;
};

}  // namespace quill::fake
