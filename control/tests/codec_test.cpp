// The encodings at the scripting boundary: Base64 as the control reads and
// writes it, hexadecimal, and the script text conversions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base64.h"
#include "ports/fake/fake_control_ports.h"
#include "session.h"
#include "session_ops.h"

namespace quill {
namespace {

using Bytes = std::vector<uint8_t>;

bool Decode(const std::string& text, std::string* out) {
  Bytes bytes;
  if (!Base64Decode(text.data(), text.size(), &bytes)) return false;
  out->assign(bytes.begin(), bytes.end());
  return true;
}

std::string Encode(const std::string& text) {
  return Base64Encode(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(ControlBase64Test, DecodesWholeGroupsWithPadding) {
  std::string out;
  ASSERT_TRUE(Decode("QUJD", &out));
  EXPECT_EQ(out, "ABC");
  ASSERT_TRUE(Decode("QUI=", &out));
  EXPECT_EQ(out, "AB");
  ASSERT_TRUE(Decode("QQ==", &out));
  EXPECT_EQ(out, "A");
  ASSERT_TRUE(Decode("", &out));
  EXPECT_EQ(out, "");
}

TEST(ControlBase64Test, TrailingIncompleteGroupYieldsNothing) {
  std::string out = "stale";
  ASSERT_TRUE(Decode("QUJ", &out));
  EXPECT_EQ(out, "");
  ASSERT_TRUE(Decode("QUJDRE", &out));
  EXPECT_EQ(out, "ABC");
}

TEST(ControlBase64Test, LineBreaksAndInvalidText) {
  std::string out;
  ASSERT_TRUE(Decode("QUJD\r\nREVG", &out));
  EXPECT_EQ(out, "ABCDEF");
  ASSERT_TRUE(Decode("QUJD\nREVG\n", &out));
  EXPECT_EQ(out, "ABCDEF");
  EXPECT_FALSE(Decode("QUJD\rREVG", &out));
  EXPECT_FALSE(Decode("QUJD\r", &out));
  EXPECT_FALSE(Decode("QU=J", &out));
  EXPECT_FALSE(Decode("Q===", &out));
  EXPECT_FALSE(Decode("QUJD REVG", &out));
  EXPECT_FALSE(Decode("QUJ\xC3\x84", &out));
  EXPECT_FALSE(Decode("QUJ-", &out));
}

TEST(ControlBase64Test, EncodesWithPaddingAndAsksForTheSpace) {
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Encode("A"), "QQ==");
  EXPECT_EQ(Encode("AB"), "QUI=");
  EXPECT_EQ(Encode("ABC"), "QUJD");
  EXPECT_EQ(Base64EncodedLength(16), 24u);  // a machine code
  size_t capacity = 0;
  ASSERT_TRUE(Base64DecodedCapacity("QUJD\r\nREVG", 10, &capacity));
  EXPECT_EQ(capacity, (6u * 8 + 7) / 8);
  EXPECT_FALSE(Base64DecodedCapacity("QU=J", 4, &capacity));
  const Bytes all = [] {
    Bytes bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<uint8_t>(i));
    return bytes;
  }();
  const std::string text = Base64Encode(all.data(), all.size());
  Bytes back;
  ASSERT_TRUE(Base64Decode(text.data(), text.size(), &back));
  EXPECT_EQ(back, all);
}

TEST(ControlHexTest, EncodesLowercaseHighNibbleFirst) {
  const uint8_t bytes[] = {0x0A, 0xFF};
  EXPECT_EQ(HexEncode(bytes, 2), "0aff");
  EXPECT_EQ(HexEncode(bytes, 0), "");
}

TEST(ControlHexTest, DecodesEitherCaseAndStopsAtAStrangeDigit) {
  uint8_t out[3] = {};
  ASSERT_TRUE(HexDecode("0aFf7C", out, 3));
  EXPECT_EQ(out[0], 0x0A);
  EXPECT_EQ(out[1], 0xFF);
  EXPECT_EQ(out[2], 0x7C);
  uint8_t partial[3] = {};
  EXPECT_FALSE(HexDecode("12g456", partial, 3));
  EXPECT_EQ(partial[0], 0x12);
  EXPECT_EQ(partial[1], 0x00);                 // bytes not decoded stay as they were
  EXPECT_FALSE(HexDecode("123", partial, 2));  // too short
}

class ScriptTextTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetControl(ports.platform); }
  void TearDown() override { ResetControl(NativeControlPlatform()); }
  fake::FakeControlPlatform ports;
};

TEST_F(ScriptTextTest, NarrowReadsUpToTheFirstNul) {
  EXPECT_EQ(Narrow(ScriptText::Null()), "");
  EXPECT_EQ(Narrow(ScriptText::Of(u"abc")), "abc");
  EXPECT_EQ(Narrow(ScriptText::Of(std::u16string(u"ab\0cd", 5))), "ab");
  EXPECT_EQ(Narrow(ScriptText::Of(u"\u00e9")), "\xC3\xA9");
}

TEST_F(ScriptTextTest, LengthCountsTheWholeText) {
  EXPECT_EQ(CharacterCount(ScriptText::Null()), 0u);
  EXPECT_EQ(CharacterCount(ScriptText::Of(u"")), 0u);
  EXPECT_EQ(CharacterCount(ScriptText::Of(std::u16string(u"ab\0cd", 5))), 5u);
  EXPECT_EQ(CharacterCount(ScriptText::Of(u"\U0001F600")), 2u);  // two code units
}

TEST_F(ScriptTextTest, EmptyResultIsNull) {
  EXPECT_EQ(TextResult(""), ScriptText::Null());
  EXPECT_EQ(TextResult(std::string("\0abc", 4)), ScriptText::Null());
  EXPECT_EQ(TextResult(std::string("ab\0cd", 5)), ScriptText::Of(u"ab"));
  EXPECT_EQ(TextResult("\xE2\x82\xAC"), ScriptText::Of(u"\u20ac"));
  EXPECT_EQ(Wide("").isNull, false);
}

}  // namespace
}  // namespace quill
