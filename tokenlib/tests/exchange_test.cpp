// The exchange: checks of the answer, status mapping, retries and the lock.
#include "exchange.h"

#include <gtest/gtest.h>

#include "token_fixture.h"

namespace quill {
namespace {

using fake::Step;
using CodeList = std::vector<int>;

class ExchangeTest : public OneTokenTest {
 protected:
  int Command(uint16_t expectedLength = 0, bool take = false) {
    expected = expectedLength;
    return TokenCommand(handle, 0x3F, 0, 0, nullptr, 0, answer, &expected, take);
  }
  uint8_t answer[256] = {};
  uint16_t expected = 0;
};

TEST_F(ExchangeTest, CorrectAnswerCopiesTheDataAndEmptiesTheStore) {
  TokenSetLastError(99);
  EXPECT_EQ(Command(32), kExchangeOk);
  EXPECT_EQ(0, memcmp(answer, token->UidAnswer().data(), 32));
  EXPECT_EQ(Codes(), CodeList{});
  EXPECT_EQ(Requests(), 1u);
  EXPECT_EQ(token->Commands().back().le, 0x20);
}

TEST_F(ExchangeTest, OneWrongChecksumByteIsRetriedAndThenSucceeds) {
  for (int byte : {0, 1}) {
    Step damaged;
    damaged.damageChecksumByte = byte;
    token->Then(damaged);
  }
  EXPECT_EQ(Command(32), kExchangeOk);
  EXPECT_EQ(Requests(), 3u);
  EXPECT_EQ(TokenGetLastError(), 0);
}

TEST_F(ExchangeTest, DamagedAnswersStopAfterThreeAttempts) {
  for (int i = 0; i < 5; ++i) {
    Step damaged;
    damaged.damageChecksumByte = 0;
    token->Then(damaged);
  }
  EXPECT_EQ(Command(32), kExchangeAnswerDamaged);
  EXPECT_EQ(Requests(), 3u);
  EXPECT_EQ(Codes(), (CodeList{51})) << "only the last attempt's codes remain";
}

TEST_F(ExchangeTest, LengthFieldOutOfRangeIsDamage) {
  for (uint16_t length : {1, 243}) {
    for (int i = 0; i < 3; ++i) {
      Step step;
      step.lengthField = length;
      token->Then(step);
    }
    const size_t before = Requests();
    EXPECT_EQ(Command(32), kExchangeAnswerDamaged) << length;
    EXPECT_EQ(Requests() - before, 3u);
    EXPECT_EQ(Codes(), (CodeList{51}));
  }
}

TEST_F(ExchangeTest, WrongMarkerIsNotRetried) {
  Step step;
  step.marker = 0x53;
  token->Then(step);
  EXPECT_EQ(Command(32), kExchangeWrongMarker);
  EXPECT_EQ(Requests(), 1u);
  EXPECT_EQ(Codes(), (CodeList{52}));
}

TEST_F(ExchangeTest, StatusWordsMapToTheirCodesWithoutRetry) {
  token->Then(Step::StatusWord(0x6982));
  EXPECT_EQ(Command(32), kExchangeTokenFailure);
  EXPECT_EQ(Requests(), 1u);
  EXPECT_EQ(Codes(), (CodeList{522, 53}));

  const std::pair<uint16_t, int> table[] = {{0x6E00, 512}, {0x6A86, 514}, {0x6C00, 523},
                                            {0x7703, 531}, {0x6F00, 532}, {0x9001, 532}};
  for (const auto& [word, code] : table) {
    token->Then(Step::StatusWord(word));
    EXPECT_EQ(Command(), kExchangeTokenFailure);
    EXPECT_EQ(Codes(), (CodeList{code, 53})) << std::hex << word;
  }
}

TEST_F(ExchangeTest, FailureStatusesHaveTheirOwnCodesOrNone) {
  const std::pair<uint8_t, CodeList> table[] = {
      {0xE1, {256, 53}}, {0xE2, {257, 53}}, {0xE3, {258, 53}}, {0x00, {53}}, {0xAB, {53}}};
  for (const auto& [status, codes] : table) {
    token->Then(Step::Status(status));
    EXPECT_EQ(Command(), kExchangeTokenFailure);
    EXPECT_EQ(Codes(), codes) << int(status);
  }
  EXPECT_EQ(Requests(), 5u);
}

TEST_F(ExchangeTest, EmptyAnswerSatisfiesNothingExpectedButNotEightBytes) {
  token->Then(Step::WithData({}));
  EXPECT_EQ(Command(0), kExchangeOk);
  token->Then(Step::WithData({}));
  EXPECT_EQ(Command(8), kExchangeAnswerShort);
  EXPECT_EQ(Codes(), (CodeList{54}));
}

TEST_F(ExchangeTest, TakeAnswerLengthCopiesWhatCameCappedAtTheExpectedLength) {
  token->Then(Step::WithData(std::vector<uint8_t>(100, 0x42)));
  EXPECT_EQ(Command(224, true), kExchangeOk);
  EXPECT_EQ(expected, 100);
  token->Then(Step::WithData(std::vector<uint8_t>(200, 0x43)));
  answer[10] = 0;
  EXPECT_EQ(Command(10, true), kExchangeOk);
  EXPECT_EQ(expected, 10);
  EXPECT_EQ(answer[9], 0x43);
  EXPECT_EQ(answer[10], 0) << "nothing beyond the expected length is copied";
}

TEST_F(ExchangeTest, LargestCommandAndAnswerFitOneFrame) {
  std::vector<uint8_t> data(232, 0x5A);
  token->Then(Step::WithData(std::vector<uint8_t>(232, 0x33)));
  expected = 232;
  EXPECT_EQ(TokenCommand(handle, 0x2D, 1, 0, data.data(), data.size(), answer, &expected, false),
            kExchangeOk);
  EXPECT_EQ(token->Commands().back().data, data);
  EXPECT_EQ(answer[231], 0x33);
  EXPECT_EQ(TokenCommand(handle, 0x2D, 1, 0, data.data(), 239, answer, &expected, false),
            kExchangePrepareFailed);
  EXPECT_EQ(Codes(), (CodeList{48}));
}

TEST_F(ExchangeTest, TransferFailuresAreRetriedUnlessTheDeviceIsGone) {
  token->Then(Step::Failing(Step::Transport::kReadTimeout));
  EXPECT_EQ(Command(32), kExchangeOk);
  EXPECT_EQ(Requests(), 2u);

  token->Then(Step::Failing(Step::Transport::kDeviceGone));
  token->Then(Step::Answer());
  EXPECT_EQ(Command(32), kExchangeTransferFailed);
  EXPECT_EQ(Requests(), 3u) << "no second attempt after the device vanished";
  EXPECT_EQ(Codes(), (CodeList{27, 20, 25, 83, 50}));
}

TEST_F(ExchangeTest, HoldsTheLockAroundAllAttemptsAndReleasesIt) {
  const int waits = fake.lock.waits;
  const int releases = fake.lock.releases;
  token->Then(Step::Failing(Step::Transport::kReadTimeout));
  EXPECT_EQ(Command(32), kExchangeOk);
  EXPECT_EQ(Requests(), 2u);
  EXPECT_EQ(fake.lock.waits - waits, 1) << "one wait for all attempts";
  EXPECT_EQ(fake.lock.lastWaitMs, 500u);
  EXPECT_EQ(fake.lock.releases - releases, 1);
  EXPECT_FALSE(fake.lock.held);
  EXPECT_EQ(fake.lock.creates, 1) << "created once per process";
}

TEST_F(ExchangeTest, GoesOnWithoutTheLockWhenItCannotBeHad) {
  fake.lock.heldElsewhere = true;
  const int releases = fake.lock.releases;
  EXPECT_EQ(Command(32), kExchangeOk);
  EXPECT_EQ(fake.lock.releases, releases) << "a lock not obtained is not released";

  fake::FakePlatform other;  // a fresh process whose lock cannot be created
  auto otherToken = other.AddHidToken(0x04B4, 0xB328);
  other.lock.createSucceeds = false;
  TokenHandle handles[kMaxTokens];
  int count = 0;
  EXPECT_EQ(TokenFind(TokenModel::kA, handles, &count), 0);
  EXPECT_EQ(other.lock.waits, 0);
  other.lock.createSucceeds = true;
  char uid[kUidTextSize];
  EXPECT_EQ(TokenGetUID(handles[0], uid), 0);
  EXPECT_EQ(other.lock.creates, 2) << "creation is tried again at the next command";
  EXPECT_EQ(other.lock.waits, 1);
}

}  // namespace
}  // namespace quill
