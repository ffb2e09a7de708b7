// The error store and the random source.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "library_state.h"
#include "token.h"

namespace quill {
namespace {

TEST(ErrorStore, OldestCodeIsTheRootCauseAndSuccessEmptiesIt) {
  fake::FakePlatform fake;
  EXPECT_EQ(TokenGetLastError(), 0);
  EXPECT_EQ(TokenSetLastError(26), 1);
  EXPECT_EQ(TokenSetLastError(20), 2);
  EXPECT_EQ(TokenSetLastError(25), 3);
  EXPECT_EQ(TokenGetLastError(), 26);
  EXPECT_EQ(TokenSetLastError(0), 0);
  EXPECT_EQ(TokenGetLastError(), 0);
}

TEST(ErrorStore, The256thCodeDropsTheTwoOldest) {
  fake::FakePlatform fake;
  for (int code = 1; code <= 255; ++code) EXPECT_EQ(TokenSetLastError(code), code);
  EXPECT_EQ(TokenGetLastError(), 1);
  EXPECT_EQ(TokenSetLastError(256), 254);
  EXPECT_EQ(TokenGetLastError(), 3);
  const ErrorStore& store = Library().store;
  EXPECT_EQ(store.At(253), 256);
  EXPECT_EQ(TokenSetLastError(257), 255);
  EXPECT_EQ(TokenGetLastError(), 3);
}

TEST(ErrorStore, CapturesTheOperatingSystemErrorAtEveryUpdate) {
  fake::FakePlatform fake;
  fake.osError.value = 1167;
  TokenSetLastError(50);
  EXPECT_EQ(Library().store.LastOsError(), 1167u);
  EXPECT_TRUE(DeviceGone());
  fake.osError.value = 0;
  TokenSetLastError(0);
  EXPECT_FALSE(DeviceGone());
  EXPECT_EQ(fake.osError.value, 0u) << "capturing must not change the value";
}

TEST(Random, EachDrawReseedsFromTheClock) {
  fake::FakePlatform fake;
  fake.clock.step = 0;
  fake.clock.now = 0x0000000112345678ull;  // only the low 32 bits count
  EXPECT_EQ(TokenRandom(), 0x0E6BE840u);
  EXPECT_EQ(TokenRandom(), 0x0E6BE840u);
  fake.clock.now = 0xFFFFFFFFull;
  EXPECT_EQ(TokenRandom(), 0xB5E5B9B0u);
}

TEST(Random, FillDividesEachDrawByItsPositionAndTakesOneByte) {
  fake::FakePlatform fake;
  fake.clock.step = 0;
  fake.clock.now = 0x12345678ull;
  uint8_t bytes[7] = {};
  bytes[6] = 0xEE;
  TokenRandomFill(bytes, 6);
  const uint8_t expected[7] = {0x40, 0xF4, 0xCE, 0x03, 0xA6, 0x51, 0xEE};
  EXPECT_EQ(0, memcmp(bytes, expected, sizeof(expected)));
}

}  // namespace
}  // namespace quill
