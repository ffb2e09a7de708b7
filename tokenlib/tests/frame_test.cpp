// Request and answer frames.
#include "frame.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "crypto/crc16b.h"

namespace quill {
namespace {

TEST(Apdu, UidCommandSerialisesToSixBytes) {
  TokenApdu apdu;
  apdu.ins = 0x3F;
  apdu.le = 0x20;
  uint8_t out[16];
  ASSERT_EQ(SerializeApdu(apdu, out, sizeof(out)), 6u);
  const std::vector<uint8_t> expected = {0xBF, 0x3F, 0x00, 0x00, 0x00, 0x20};
  EXPECT_EQ(std::vector<uint8_t>(out, out + 6), expected);
}

TEST(Apdu, PasswordVerificationCarriesTheDigestAndNoExpectedLength) {
  uint8_t digest[32];
  for (int i = 0; i < 32; ++i) digest[i] = static_cast<uint8_t>(i * 7);
  TokenApdu apdu;
  apdu.ins = 0x15;
  apdu.data = digest;
  apdu.lc = 32;
  uint8_t out[64];
  ASSERT_EQ(SerializeApdu(apdu, out, sizeof(out)), 38u);
  EXPECT_EQ(out[0], 0xBF);
  EXPECT_EQ(out[1], 0x15);
  EXPECT_EQ(out[4], 0x20);
  EXPECT_EQ(0, memcmp(out + 5, digest, 32));
  EXPECT_EQ(out[37], 0x00);
}

TEST(Apdu, DataBeyondTheFrameIsRefused) {
  std::vector<uint8_t> data(239, 1);
  TokenApdu apdu;
  apdu.data = data.data();
  apdu.lc = 239;
  Frame frame{};
  EXPECT_FALSE(BuildRequestFrame(apdu, &frame));
  apdu.lc = 238;
  EXPECT_TRUE(BuildRequestFrame(apdu, &frame));
  EXPECT_EQ(frame[2 + 5 + 238], 0) << "le sits right before the checksum";
}

TEST(RequestFrame, MarkerCommandAndChecksumLowByteFirst) {
  TokenApdu apdu;
  apdu.ins = 0x3F;
  apdu.le = 0x20;
  Frame frame;
  frame.fill(0xCC);
  ASSERT_TRUE(BuildRequestFrame(apdu, &frame));
  EXPECT_EQ(frame[0], 0x53);
  EXPECT_EQ(frame[1], 0x00);
  EXPECT_EQ(frame[2], 0xBF);
  EXPECT_EQ(frame[7], 0x20);
  EXPECT_EQ(frame[8], 0xCC) << "filler after the command stays";
  const uint16_t crc = Crc16B(frame.data(), 246);
  EXPECT_EQ(frame[246], crc & 0xFF);
  EXPECT_EQ(frame[247], crc >> 8);

  RequestView view;
  ASSERT_EQ(ParseRequestFrame(frame, &view), RequestCheck::kOk);
  EXPECT_EQ(view.apdu.ins, 0x3F);
  EXPECT_EQ(view.apdu.le, 0x20);
}

Frame Answer(size_t dataLength, uint16_t statusWord = 0x9000) {
  std::vector<uint8_t> data(dataLength, 0x11);
  Frame frame{};
  EXPECT_TRUE(BuildAnswerFrame(0xAA, data.data(), data.size(), statusWord, &frame));
  return frame;
}

TEST(AnswerFrame, LengthFieldLimits) {
  AnswerView view;
  ASSERT_EQ(ParseAnswerFrame(Answer(0), &view), AnswerCheck::kOk);
  EXPECT_EQ(view.length, 0u);
  EXPECT_EQ(view.statusWord, 0x9000);
  ASSERT_EQ(ParseAnswerFrame(Answer(240, 0x6982), &view), AnswerCheck::kOk);
  EXPECT_EQ(view.length, 240u);
  EXPECT_EQ(view.statusWord, 0x6982);

  for (uint16_t length : {0, 1, 243, 0xFFFF}) {
    Frame frame = Answer(4);
    frame[2] = static_cast<uint8_t>(length >> 8);
    frame[3] = static_cast<uint8_t>(length & 0xFF);
    SealFrame(&frame);
    EXPECT_EQ(ParseAnswerFrame(frame, &view), AnswerCheck::kDamaged) << length;
  }
  Frame frame{};
  std::vector<uint8_t> tooLong(241, 0);
  EXPECT_FALSE(BuildAnswerFrame(0xAA, tooLong.data(), tooLong.size(), 0x9000, &frame));
}

TEST(AnswerFrame, EachChecksumByteMatters) {
  for (int index : {246, 247}) {
    Frame frame = Answer(8);
    frame[index] ^= 0x01;
    AnswerView view;
    EXPECT_EQ(ParseAnswerFrame(frame, &view), AnswerCheck::kDamaged) << index;
  }
}

TEST(AnswerFrame, MarkerIsCheckedAfterTheChecksum) {
  Frame frame = Answer(8);
  frame[0] = 0x53;
  AnswerView view;
  EXPECT_EQ(ParseAnswerFrame(frame, &view), AnswerCheck::kDamaged);
  SealFrame(&frame);
  EXPECT_EQ(ParseAnswerFrame(frame, &view), AnswerCheck::kWrongMarker);
}

TEST(AnswerFrame, AnyBytesGiveAVerdictAndAViewInsideTheFrame) {
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    Frame frame;
    for (uint8_t& byte : frame) byte = static_cast<uint8_t>(random());
    if (round % 2 == 0) SealFrame(&frame);  // get past the checksum half of the time
    AnswerView view;
    if (ParseAnswerFrame(frame, &view) == AnswerCheck::kOk) {
      ASSERT_GE(view.data, frame.data());
      ASSERT_LE(view.data + view.length + 2, frame.data() + 246);
    }
    RequestView request;
    if (ParseRequestFrame(frame, &request) == RequestCheck::kOk) {
      ASSERT_LE(request.apdu.data + request.apdu.lc + 1, frame.data() + 246);
    }
  }
}

}  // namespace
}  // namespace quill
