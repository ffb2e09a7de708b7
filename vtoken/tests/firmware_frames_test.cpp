// The token apart from sockets: encrypted requests in, encrypted answers out,
// with the injected faults applied.
#include <gtest/gtest.h>

#include <algorithm>

#include "crypto/des.h"
#include "faults.h"
#include "raw_client.h"
#include "virtual_token.h"

namespace quill {
namespace {

TokenUidValue SampleUid() {
  TokenUidValue uid;
  for (size_t i = 0; i < uid.size(); ++i) uid[i] = static_cast<uint8_t>(0xC0 + i);
  return uid;
}

TokenApdu Command(uint8_t ins, uint8_t le = 0) {
  TokenApdu apdu;
  apdu.ins = ins;
  apdu.le = le;
  return apdu;
}

class VirtualTokenTest : public ::testing::Test {
 protected:
  // Sends the command and returns the decrypted answer (must be an answer).
  Frame Answer(const TokenApdu& apdu) {
    const Frame wire = EncryptedRequest(kTestFrameKey, apdu);
    const RequestOutcome outcome = token_.HandleRequest(wire.data());
    EXPECT_EQ(outcome.action, RequestAction::kAnswer);
    return DecryptedAnswer(kTestFrameKey, outcome.answer);
  }

  AnswerView Parsed(const Frame& answer) {
    AnswerView view;
    EXPECT_EQ(ParseAnswerFrame(answer, &view), AnswerCheck::kOk);
    return view;
  }

  VirtualToken token_{SampleUid(), kTestFrameKey};
};

TEST_F(VirtualTokenTest, AnswersTheUidCommandWithItsUidValue) {
  const Frame answer = Answer(UidCommand());
  const AnswerView view = Parsed(answer);
  EXPECT_EQ(view.status, kStatusProcessed);
  EXPECT_EQ(view.statusWord, kStatusWordSuccess);
  ASSERT_EQ(view.length, 32u);
  const TokenUidValue uid = SampleUid();
  EXPECT_TRUE(std::equal(uid.begin(), uid.end(), view.data));

  // Each answer carries fresh filler, so equal answers differ on the wire.
  const Frame wire = EncryptedRequest(kTestFrameKey, UidCommand());
  const Frame first = token_.HandleRequest(wire.data()).answer;
  const Frame second = token_.HandleRequest(wire.data()).answer;
  EXPECT_NE(first, second);
}

TEST_F(VirtualTokenTest, RefusesCommandsItDoesNotKnow) {
  EXPECT_EQ(Parsed(Answer(Command(0x99, 0x10))).statusWord, 0x6D00);
  EXPECT_EQ(Parsed(Answer(Command(0x3F, 0x10))).statusWord, 0x6700);  // UID with a wrong le

  TokenApdu wrongClass = UidCommand();
  wrongClass.cla = 0x80;
  const AnswerView view = Parsed(Answer(wrongClass));
  EXPECT_EQ(view.status, kStatusProcessed);
  EXPECT_EQ(view.statusWord, 0x6E00);
  EXPECT_EQ(view.length, 0u);
}

TEST_F(VirtualTokenTest, AnswersDamagedRequestsWithWrongLength) {
  Frame damaged = EncryptedRequest(kTestFrameKey, UidCommand());
  damaged[100] ^= 0x01;
  AnswerView view =
      Parsed(DecryptedAnswer(kTestFrameKey, token_.HandleRequest(damaged.data()).answer));
  EXPECT_EQ(view.statusWord, 0x6700);

  // A request with a valid checksum but the answer marker.
  Frame plain{};
  BuildRequestFrame(UidCommand(), &plain);
  plain[0] = kAnswerMarker;
  SealFrame(&plain);
  const uint8_t zeroIv[8] = {};
  DesCbcEncrypt(kTestFrameKey.data(), zeroIv, plain.data(), kFrameSize);
  view = Parsed(DecryptedAnswer(kTestFrameKey, token_.HandleRequest(plain.data()).answer));
  EXPECT_EQ(view.statusWord, 0x6700);

  const TokenStats stats = token_.Stats();
  EXPECT_EQ(stats.exchanges, 2u);
  EXPECT_EQ(stats.damagedRequests, 2u);
  EXPECT_TRUE(stats.commands.empty());
}

TEST_F(VirtualTokenTest, EachFaultChangesTheAnswerAsDocumented) {
  AnswerView view;

  token_.InjectFault({FaultKind::kCrc}, 1);
  EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kDamaged);

  token_.InjectFault({FaultKind::kMarker}, 1);
  Frame answer = Answer(UidCommand());
  EXPECT_TRUE(FrameChecksumValid(answer));
  EXPECT_EQ(answer[0], 0x53);
  EXPECT_EQ(ParseAnswerFrame(answer, &view), AnswerCheck::kWrongMarker);

  for (uint32_t length : {1u, 243u}) {
    token_.InjectFault({FaultKind::kLength, length}, 1);
    answer = Answer(UidCommand());
    EXPECT_TRUE(FrameChecksumValid(answer));
    EXPECT_EQ(answer[2] << 8 | answer[3], static_cast<int>(length));
    EXPECT_EQ(ParseAnswerFrame(answer, &view), AnswerCheck::kDamaged);
  }

  token_.InjectFault({FaultKind::kStatus, 0xE2}, 1);
  EXPECT_EQ(Parsed(Answer(UidCommand())).status, 0xE2);

  token_.InjectFault({FaultKind::kStatusWord, 0x6982}, 1);
  view = Parsed(Answer(UidCommand()));
  EXPECT_EQ(view.status, kStatusProcessed);
  EXPECT_EQ(view.statusWord, 0x6982);
  EXPECT_EQ(view.length, 0u);

  const Frame wire = EncryptedRequest(kTestFrameKey, UidCommand());
  token_.InjectFault({FaultKind::kNoAnswer}, 1);
  EXPECT_EQ(token_.HandleRequest(wire.data()).action, RequestAction::kNoAnswer);
  token_.InjectFault({FaultKind::kDrop}, 1);
  EXPECT_EQ(token_.HandleRequest(wire.data()).action, RequestAction::kDrop);

  // Faults of different kinds combine.
  token_.InjectFault({FaultKind::kDelay, 250}, 1);
  token_.InjectFault({FaultKind::kCrc}, 1);
  const RequestOutcome outcome = token_.HandleRequest(wire.data());
  EXPECT_EQ(outcome.action, RequestAction::kAnswer);
  EXPECT_EQ(outcome.delayMs, 250u);
  EXPECT_FALSE(FrameChecksumValid(DecryptedAnswer(kTestFrameKey, outcome.answer)));

  // Every fault above was for one request only.
  const RequestOutcome clean = token_.HandleRequest(wire.data());
  EXPECT_EQ(clean.delayMs, 0u);
  Parsed(DecryptedAnswer(kTestFrameKey, clean.answer));
}

TEST_F(VirtualTokenTest, FaultsLastTheirCountOrUntilCleared) {
  AnswerView view;
  token_.InjectFault({FaultKind::kCrc}, 2);
  EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kDamaged);
  EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kDamaged);
  EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kOk);

  token_.InjectFault({FaultKind::kStatus, 0xE1}, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Parsed(Answer(UidCommand())).status, 0xE1);
  // A fault of the same kind replaces the earlier one.
  token_.InjectFault({FaultKind::kStatus, 0xE3}, 1);
  EXPECT_EQ(Parsed(Answer(UidCommand())).status, 0xE3);
  EXPECT_EQ(Parsed(Answer(UidCommand())).status, kStatusProcessed);

  token_.InjectFault({FaultKind::kMarker}, 0);
  token_.ClearFaults();
  EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kOk);
}

TEST_F(VirtualTokenTest, AFaultCanWaitForItsTurn) {
  AnswerView view;
  token_.InjectFault({FaultKind::kCrc}, 2, 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kOk) << i;
  }
  EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kDamaged);
  EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kDamaged);
  EXPECT_EQ(ParseAnswerFrame(Answer(UidCommand()), &view), AnswerCheck::kOk);
}

TEST_F(VirtualTokenTest, LogsTheLastCommandsReceived) {
  TokenApdu apdu = Command(0x15);
  const uint8_t data[3] = {1, 2, 3};
  apdu.p1 = 0x01;
  apdu.p2 = 0x02;
  apdu.data = data;
  apdu.lc = 3;
  Answer(apdu);
  for (size_t i = 0; i < kCommandLogSize; ++i) Answer(UidCommand());

  const TokenStats stats = token_.Stats();
  EXPECT_EQ(stats.exchanges, kCommandLogSize + 1);
  ASSERT_EQ(stats.commands.size(), kCommandLogSize);
  EXPECT_EQ(stats.commands.front().ins, 0x3F);

  VirtualToken fresh(SampleUid(), kTestFrameKey);
  const Frame wire = EncryptedRequest(kTestFrameKey, apdu);
  fresh.HandleRequest(wire.data());
  const CommandRecord record = fresh.Stats().commands.at(0);
  EXPECT_EQ(record.ins, 0x15);
  EXPECT_EQ(record.p1, 0x01);
  EXPECT_EQ(record.p2, 0x02);
  EXPECT_EQ(record.lc, 3);
}

TEST(FaultTextTest, ParsesKindsAndValues) {
  FaultKind kind;
  EXPECT_TRUE(ParseFaultKind("no-answer", &kind));
  EXPECT_EQ(kind, FaultKind::kNoAnswer);
  EXPECT_TRUE(ParseFaultKind("sw", &kind));
  EXPECT_EQ(kind, FaultKind::kStatusWord);
  EXPECT_FALSE(ParseFaultKind("CRC", &kind));

  uint32_t value = 0;
  EXPECT_TRUE(ParseFaultValue(FaultKind::kStatus, "0xE1", &value));
  EXPECT_EQ(value, 0xE1u);
  EXPECT_FALSE(ParseFaultValue(FaultKind::kStatus, "1E1", &value));
  EXPECT_TRUE(ParseFaultValue(FaultKind::kStatusWord, "6d00", &value));
  EXPECT_EQ(value, 0x6D00u);
  EXPECT_TRUE(ParseFaultValue(FaultKind::kLength, "243", &value));
  EXPECT_FALSE(ParseFaultValue(FaultKind::kLength, "65536", &value));
  EXPECT_FALSE(ParseFaultValue(FaultKind::kDelay, "600001", &value));
  EXPECT_FALSE(ParseFaultValue(FaultKind::kDelay, "", &value));
}

}  // namespace
}  // namespace quill
