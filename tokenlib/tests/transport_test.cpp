// The two transports as the exchange sees them: codes of every failing step.
#include <gtest/gtest.h>

#include "device_table.h"
#include "exchange.h"
#include "token_fixture.h"

namespace quill {
namespace {

using fake::Step;
using Transport = fake::Step::Transport;
using CodeList = std::vector<int>;

class HidTransportTest : public OneTokenTest {
 protected:
  int ReadUid() {
    char uid[kUidTextSize];
    return TokenGetUID(handle, uid);
  }
  void FailThreeTimes(Step step) {
    for (int i = 0; i < 3; ++i) token->Then(step);
  }
};

TEST_F(HidTransportTest, ReadTimeoutLeavesTheWholeChainOfCodes) {
  FailThreeTimes(Step::Failing(Transport::kReadTimeout));
  EXPECT_EQ(ReadUid(), 2);
  EXPECT_EQ(Codes(), (CodeList{26, 20, 25, 83, 50, 91}));
  EXPECT_EQ(Requests(), 3u);
}

TEST_F(HidTransportTest, ReportOf248BytesIsTheWrongLength) {
  Step shortRead = Step::Failing(Transport::kShortRead);
  shortRead.readLength = 248;
  FailThreeTimes(shortRead);
  EXPECT_EQ(ReadUid(), 2);
  EXPECT_EQ(Codes(), (CodeList{21, 25, 83, 50, 91}));
}

TEST_F(HidTransportTest, WriteFailures) {
  FailThreeTimes(Step::Failing(Transport::kWriteTimeout));
  EXPECT_EQ(ReadUid(), 2);
  EXPECT_EQ(Codes(), (CodeList{22, 24, 83, 50, 91}));

  FailThreeTimes(Step::Failing(Transport::kShortWrite));
  EXPECT_EQ(ReadUid(), 2);
  EXPECT_EQ(Codes(), (CodeList{23, 24, 83, 50, 91}));
}

TEST_F(HidTransportTest, FlushFailureStopsBeforeWriting) {
  // No step of an attempt succeeds, so nothing empties the store between attempts.
  token->flushFailures = 3;
  EXPECT_EQ(ReadUid(), 2);
  EXPECT_EQ(Codes(), (CodeList{39, 83, 50, 39, 83, 50, 39, 83, 50, 91}));
  EXPECT_EQ(Requests(), 0u);
}

TEST_F(HidTransportTest, PausesTenMillisecondsBetweenWriteAndRead) {
  fake.clock.sleptMs = 0;
  EXPECT_EQ(ReadUid(), 0);
  EXPECT_EQ(fake.clock.sleptMs, 10u);
}

TEST_F(HidTransportTest, SlotAndStateChecks) {
  uint8_t frame[248] = {};
  uint8_t reply[248];
  EXPECT_EQ(HidTransfer(32, frame, reply, 5000), 1);
  EXPECT_EQ(Codes(), (CodeList{1}));
  EXPECT_EQ(HidTransfer(-1, frame, reply, 5000), 1);
  TokenSetLastError(0);
  EXPECT_EQ(HidTransfer(5, frame, reply, 5000), 2);
  EXPECT_EQ(Codes(), (CodeList{82}));
  TokenSetLastError(0);
  EXPECT_EQ(TransferFrame(handle + 1, frame, reply, 5000), 1);
  EXPECT_EQ(Codes(), (CodeList{80}));
  TokenSetLastError(0);
  ASSERT_EQ(SetDeviceState(handle, 0), 0);
  EXPECT_EQ(TransferFrame(handle, frame, reply, 5000), 2);
  EXPECT_EQ(Codes(), (CodeList{82}));
  EXPECT_EQ(Requests(), 0u);
}

class StorageTransportTest : public ::testing::Test {
 protected:
  void Discover() {
    TokenHandle handles[kMaxTokens];
    int count = 0;
    ASSERT_EQ(TokenFind(TokenModel::kA, handles, &count), 0);
    handle = handles[0];
  }
  int ReadUid() {
    char uid[kUidTextSize];
    return TokenGetUID(handle, uid);
  }
  fake::FakePlatform fake;
  std::shared_ptr<fake::ScriptedToken> token =
      fake.AddStorageToken("\\\\?\\usbstor#cdrom&ven_q#vid_04b4pid_b708&0#{53f56308}");
  TokenHandle handle = 0;
};

TEST_F(StorageTransportTest, PassThroughFailuresOfTheDataInStep) {
  Discover();
  const std::pair<Transport, CodeList> table[] = {
      {Transport::kReadTimeout, {26, 35, 83, 50, 91}},
      {Transport::kScsiError, {36, 35, 83, 50, 91}},
      {Transport::kNothingTransferred, {37, 35, 83, 50, 91}},
  };
  for (const auto& [transport, codes] : table) {
    for (int i = 0; i < 3; ++i) token->Then(Step::Failing(transport));
    EXPECT_EQ(ReadUid(), 2);
    EXPECT_EQ(StoredCodes(), codes);
  }
}

TEST_F(StorageTransportTest, VanishedDeviceIsNotRetried) {
  Discover();
  token->Then(Step::Failing(Transport::kDeviceGone));
  const size_t before = token->Commands().size();
  EXPECT_EQ(ReadUid(), 2);
  EXPECT_EQ(token->Commands().size() - before, 1u);
  EXPECT_EQ(StoredCodes(), (CodeList{35, 35, 83, 50, 91}));
}

TEST_F(StorageTransportTest, SlotThatCouldNotBeOpenedIsOpenedAtItsFirstTransfer) {
  fake.storage.openFailures = 1;
  Discover();  // the open at discovery fails, the UID read reopens it
  EXPECT_EQ(fake.storage.openedPaths.size(), 1u);
  EXPECT_EQ(ReadUid(), 0);

  fake.storage.openFailures = 5;
  TokenHandle handles[kMaxTokens];
  int count = 0;
  EXPECT_EQ(TokenFind(TokenModel::kA, handles, &count), 1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(TokenGetLastError(), 0) << "discovery ends by emptying the store";
}

}  // namespace
}  // namespace quill
