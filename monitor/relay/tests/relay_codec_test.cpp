// The relay's message codec: requests, the tokenizer's split, the frame
// checks, the status and the data field's Base64, with the bad input a
// client outside our control may send.
#include "relay_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quill {
namespace {

std::string Build(const std::string& command, const std::string& argument, bool* built) {
  char out[kRelayRequestBuffer];
  size_t length = 99;
  *built = BuildRequest(command, argument, out, &length);
  return std::string(out, length);
}

int Parse(const std::string& reply, std::string* status = nullptr, std::string* data = nullptr) {
  char statusSlot[kRelayFieldSlot];
  char dataSlot[kRelayDataSlot];
  const int result = ParseReply(reply.data(), reply.size(), statusSlot, dataSlot);
  if (status != nullptr) *status = statusSlot;
  if (data != nullptr) *data = dataSlot;
  return result;
}

std::vector<uint8_t> Decode(const std::string& text, int* result) {
  std::vector<uint8_t> bytes{0xEE};
  *result = DecodeData(text.c_str(), &bytes);
  return bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(RelayRequest, FramesCommandAndArgument) {
  bool built = false;
  const std::string find = Build("FIND", "NULL", &built);
  EXPECT_TRUE(built);
  EXPECT_EQ(find, "START;SERVER;FIND;NULL;END;");
  EXPECT_EQ(find.size(), 27u);
  EXPECT_EQ(Build("OPEN", "pass word", &built), "START;SERVER;OPEN;pass word;END;");
  EXPECT_EQ(Build("OPEN", "", &built), "START;SERVER;OPEN;;END;");
  EXPECT_TRUE(built);
}

TEST(RelayRequest, RefusesWhatDoesNotFitItsSlotOrWouldShiftTheFields) {
  bool built = false;
  EXPECT_EQ(Build("OPEN", std::string(127, 'p'), &built).size(), 13 + 5 + 127 + 5u);
  EXPECT_TRUE(built);
  EXPECT_EQ(Build("OPEN", std::string(128, 'p'), &built), "");
  EXPECT_FALSE(built);
  EXPECT_EQ(Build("OPEN", std::string(5000, 'p'), &built), "");
  EXPECT_FALSE(built);
  Build(std::string(15, 'C'), "NULL", &built);
  EXPECT_TRUE(built);
  Build(std::string(16, 'C'), "NULL", &built);
  EXPECT_FALSE(built);
  Build("OPEN", "a;b", &built);
  EXPECT_FALSE(built);
  Build("OPEN", std::string("a\0b", 3), &built);
  EXPECT_FALSE(built);
}

TEST(RelaySplit, FollowsTheTokenizer) {
  ReplyFields fields;
  const std::string text = ";;START;;CLIENT;OK;;;data;END";
  ASSERT_EQ(SplitReply(text.data(), text.size(), &fields), kSplitOk);
  EXPECT_STREQ(fields.frameStart, "START");
  EXPECT_STREQ(fields.sender, "CLIENT");
  EXPECT_STREQ(fields.status, "OK");
  EXPECT_STREQ(fields.data, "data");
  EXPECT_STREQ(fields.frameEnd, "END");

  // An empty data field vanishes: four fields are too few.
  const std::string empty = "START;CLIENT;OK;;END;";
  EXPECT_EQ(SplitReply(empty.data(), empty.size(), &fields), kSplitTooFewFields);
  EXPECT_EQ(SplitReply("", 0, &fields), kSplitTooFewFields);
  EXPECT_EQ(SplitReply(";;;;;;", 6, &fields), kSplitTooFewFields);
}

TEST(RelaySplit, IsDelimitedByCountOrZeroByte) {
  ReplyFields fields;
  // Bytes after the count are not looked at: a full read has no terminator.
  const std::string text = "START;CLIENT;OK;NULL;ENDXXXXXX";
  ASSERT_EQ(SplitReply(text.data(), 24, &fields), kSplitOk);
  EXPECT_STREQ(fields.frameEnd, "END");
  // A zero byte ends the text, as it would a C string.
  const std::string zero("START;CLIENT;OK;NULL;END;\0more;fields", 37);
  ASSERT_EQ(SplitReply(zero.data(), zero.size(), &fields), kSplitOk);
  const std::string early("START;CLIENT;OK\0;NULL;END;", 26);
  EXPECT_EQ(SplitReply(early.data(), early.size(), &fields), kSplitTooFewFields);
}

TEST(RelaySplit, RefusesFieldsLongerThanTheirSlots) {
  ReplyFields fields;
  const std::string fifteen = "START;CLIENT;" + std::string(15, 'O') + ";NULL;END";
  EXPECT_EQ(SplitReply(fifteen.data(), fifteen.size(), &fields), kSplitOk);
  EXPECT_EQ(std::strlen(fields.status), 15u);
  const std::string sixteen = "START;CLIENT;" + std::string(16, 'O') + ";NULL;END";
  EXPECT_EQ(SplitReply(sixteen.data(), sixteen.size(), &fields), kSplitFieldTooLong);
  EXPECT_STREQ(fields.frameStart, "");  // nothing half-copied is left behind

  const std::string data1023 = "START;CLIENT;OK;" + std::string(1023, 'D') + ";END";
  EXPECT_EQ(SplitReply(data1023.data(), data1023.size(), &fields), kSplitOk);
  EXPECT_EQ(std::strlen(fields.data), 1023u);
  const std::string data1024 = "START;CLIENT;OK;" + std::string(1024, 'D') + ";END";
  EXPECT_EQ(SplitReply(data1024.data(), data1024.size(), &fields), kSplitFieldTooLong);
  const std::string longEnd = "START;CLIENT;OK;NULL;" + std::string(40, 'E');
  EXPECT_EQ(SplitReply(longEnd.data(), longEnd.size(), &fields), kSplitFieldTooLong);
}

TEST(RelayParse, ChecksFrameAndSenderByTheirWordsOnly) {
  std::string status;
  std::string data;
  EXPECT_EQ(Parse("START;CLIENT;OK;NULL;END;", &status, &data), 0);
  EXPECT_EQ(status, "OK");
  EXPECT_EQ(data, "NULL");
  EXPECT_EQ(Parse("START;CLIENT;OK;NULL;END"), 0);  // no final ";"
  EXPECT_EQ(Parse("STARTED;CLIENTS;OK;x;ENDING"), 0);
  EXPECT_NE(Parse("STAR;CLIENT;OK;NULL;END;"), 0);
  EXPECT_NE(Parse("start;CLIENT;OK;NULL;END;"), 0);
  EXPECT_NE(Parse("START;SERVER;OK;NULL;END;"), 0);
  EXPECT_NE(Parse("START;CLIENT;OK;NULL;EN;"), 0);
  EXPECT_NE(Parse("START;CLIENT;OK;;END;"), 0);
  EXPECT_NE(Parse("START;CLIENT;OK;NULL;" + std::string(16, 'E')), 0);
}

TEST(RelayParse, KeepsOnlyTheFirstFiveOfManyFields) {
  std::string status;
  std::string data;
  EXPECT_EQ(Parse("START;CLIENT;OK;d;END;6;7;8;", &status, &data), 0);
  EXPECT_EQ(data, "d");
  std::string many = "START;CLIENT;OK;d;END;";
  for (int i = 0; i < 200; ++i) many += "extra;";
  EXPECT_EQ(Parse(many, &status, &data), 0);
  EXPECT_EQ(status, "OK");
  // Two replies run together read as the first one.
  EXPECT_EQ(Parse("START;CLIENT;ERROR;NULL;END;START;CLIENT;OK;NULL;END;", &status), 0);
  EXPECT_EQ(status, "ERROR");
}

TEST(RelayStatus, SucceedsOnlyWhenItBeginsWithOk) {
  EXPECT_EQ(CheckStatus("OK"), 0);
  EXPECT_EQ(CheckStatus("OKAY"), 0);
  EXPECT_NE(CheckStatus("ERROR"), 0);
  EXPECT_NE(CheckStatus("ok"), 0);
  EXPECT_NE(CheckStatus("O"), 0);
  EXPECT_NE(CheckStatus(""), 0);
  EXPECT_NE(CheckStatus(" OK"), 0);
}

TEST(RelayData, DecodesStandardBase64) {
  int result = -1;
  EXPECT_EQ(Decode("QUJD", &result), Bytes("ABC"));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Decode("QUI=", &result), Bytes("AB"));
  EXPECT_EQ(Decode("QQ==", &result), Bytes("A"));
  EXPECT_EQ(Decode("+/+/", &result), (std::vector<uint8_t>{0xFB, 0xFF, 0xBF}));
  EXPECT_EQ(Decode("", &result), std::vector<uint8_t>{});
  EXPECT_EQ(result, 0);
}

TEST(RelayData, SkipsLineBreaksAndDropsAnIncompleteLastGroup) {
  int result = -1;
  EXPECT_EQ(Decode("QU\r\nJD\nRE\r\nVG", &result), Bytes("ABCDEF"));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Decode("QUJDRA", &result), Bytes("ABC"));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Decode("QUJDRE=", &result), Bytes("ABC"));
  EXPECT_EQ(Decode("QUJ", &result), std::vector<uint8_t>{});
  EXPECT_EQ(result, 0);
}

TEST(RelayData, RefusesEveryKindOfInvalidText) {
  const char* invalid[] = {
      "QQ=A",      // an alphabet character after "="
      "QQ==QUJD",  // a group after the padding
      "Q===",      // a third "="
      "QQ===",     //
      "QU-D",      // outside the alphabet
      "QU D",      // a blank
      "QUJD\r",    // a lone carriage return
      "QU\rJD",    //
      "QUJ\x80",   // a byte with the high bit set
      "QUJD\t",
  };
  for (const char* text : invalid) {
    int result = -1;
    const std::vector<uint8_t> bytes = Decode(text, &result);
    EXPECT_EQ(result, 1) << text;
    EXPECT_TRUE(bytes.empty()) << text;
  }
}

}  // namespace
}  // namespace quill
