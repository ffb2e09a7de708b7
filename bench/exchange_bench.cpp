// One exchange through an in-memory transport, next to the two DES-CBC passes
// over 248 bytes that every exchange needs: the rest (random filler, checksums,
// framing, table look-up, lock) should cost little beside them.
#include <benchmark/benchmark.h>

#include <cstring>

#include "crypto/des.h"
#include "exchange.h"
#include "fake_platform.h"
#include "frame.h"
#include "library_state.h"
#include "linux_system.h"
#include "token.h"

namespace quill {
namespace {

constexpr uint8_t kZeroIv[8] = {};

// The real system time, as the random filler reads it once per byte; the
// 10 ms pause between request and answer is left out (it is a wait, not work).
class ClockWithoutPause : public LinuxClock {
 public:
  void SleepMs(uint32_t) override {}
};

// A device that answers every request with one prepared, encrypted answer.
class CannedDevice : public HidDevicePort {
 public:
  explicit CannedDevice(const Frame& answer) { std::memcpy(report_ + 1, answer.data(), 248); }
  bool GetAttributes(uint16_t* vendorId, uint16_t* productId) override {
    *vendorId = 0x04B4;
    *productId = 0xB328;
    return true;
  }
  bool FlushQueue() override { return true; }
  IoStatus Write(const uint8_t*, size_t length, uint32_t, size_t* written) override {
    *written = length;
    return IoStatus::kOk;
  }
  IoStatus Read(uint8_t* report, size_t length, uint32_t, size_t* received) override {
    std::memcpy(report, report_, length);
    *received = length;
    return IoStatus::kOk;
  }

 private:
  uint8_t report_[249] = {};
};

class CannedHid : public HidPort {
 public:
  explicit CannedHid(const Frame& answer) : answer_(answer) {}
  BindStatus Bind() override { return BindStatus::kBound; }
  void Unbind() override {}
  std::unique_ptr<InterfaceListPort> ListInterfaces() override {
    struct One : InterfaceListPort {
      bool Enumerate(uint32_t index) override { return index == 0; }
      bool Detail(uint32_t, std::string* path) override {
        *path = "canned";
        return true;
      }
    };
    return std::make_unique<One>();
  }
  std::unique_ptr<HidDevicePort> Open(const std::string&) override {
    return std::make_unique<CannedDevice>(answer_);
  }

 private:
  Frame answer_;
};

void BM_ExchangeOnceInMemory(benchmark::State& state) {
  fake::FakePlatform fake;
  ClockWithoutPause clock;
  Frame answer;
  answer.fill(0x5C);
  uint8_t uid[32] = {};
  BuildAnswerFrame(kStatusProcessed, uid, sizeof(uid), kStatusWordSuccess, &answer);
  DesCbcEncrypt(fake.config.frameKey.data(), kZeroIv, answer.data(), answer.size());
  CannedHid hid(answer);
  fake.platform.clock = &clock;
  fake.platform.hid = &hid;

  TokenHandle handles[kMaxTokens];
  int count = 0;
  if (TokenFind(TokenModel::kA, handles, &count) != 0) {
    state.SkipWithError("discovery failed");
    return;
  }
  uint8_t data[32];
  for (auto _ : state) {
    uint16_t expected = 32;
    const int result = ExchangeOnce(handles[0], 0x3F, 0, 0, nullptr, 0, data, &expected, false);
    benchmark::DoNotOptimize(result);
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_ExchangeOnceInMemory);

void BM_TwoDesCbcPassesOver248Bytes(benchmark::State& state) {
  const uint8_t key[8] = {0x04, 0xC7, 0x1E, 0x1D, 0x48, 0xCE, 0x00, 0x7E};
  uint8_t frame[248];
  std::memset(frame, 0x3A, sizeof(frame));
  for (auto _ : state) {
    DesCbcEncrypt(key, kZeroIv, frame, sizeof(frame));
    DesCbcDecrypt(key, kZeroIv, frame, sizeof(frame));
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_TwoDesCbcPassesOver248Bytes);

}  // namespace
}  // namespace quill
