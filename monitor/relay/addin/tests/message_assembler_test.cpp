#include "message_assembler.h"

#include <gtest/gtest.h>

#include <string>

#include "addin_fakes.h"
#include "channel_constants.h"

namespace quill {
namespace {

using testing::Bytes;
using testing::kOnly;
using testing::Length;
using Step = MessageAssembler::Step;

std::string Text(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(MessageAssemblerTest, JoinsChunksInOrderAndOnlyCompletesOnTheLastOne) {
  MessageAssembler assembler(1024);
  const std::string whole = "START;SERVER;GETID;NULL;END;";
  EXPECT_EQ(assembler.Add(Bytes(whole), 6, Length(whole), kChannelFlagFirst), Step::kIncomplete);
  EXPECT_EQ(assembler.Add(Bytes(whole) + 6, 10, Length(whole), 0), Step::kIncomplete);
  EXPECT_TRUE(assembler.InMessage());
  EXPECT_EQ(assembler.Add(Bytes(whole) + 16, Length(whole) - 16, Length(whole), kChannelFlagLast),
            Step::kComplete);
  EXPECT_EQ(Text(assembler.Message()), whole);
  EXPECT_FALSE(assembler.InMessage());

  // Flags beyond first and last (such as show-protocol) do not disturb it.
  EXPECT_EQ(assembler.Add(Bytes(whole), Length(whole), Length(whole), kOnly | 0x10),
            Step::kComplete);
  EXPECT_EQ(Text(assembler.Message()), whole);
}

TEST(MessageAssemblerTest, TotalsAreHeldToTheLimitAndANullBufferIsRefused) {
  MessageAssembler assembler(8);
  const std::string nine = "123456789";
  EXPECT_EQ(assembler.Add(Bytes(nine), 8, 8, kOnly), Step::kComplete);  // exactly the limit
  EXPECT_EQ(assembler.Add(Bytes(nine), 4, 9, kChannelFlagFirst), Step::kRefused);
  EXPECT_TRUE(assembler.Message().empty());
  EXPECT_EQ(assembler.Add(Bytes(nine), 0, 0, kOnly), Step::kRefused);
  EXPECT_EQ(assembler.Add(nullptr, 5, 5, kOnly), Step::kRefused);
}

TEST(MessageAssemblerTest, PiecesWithoutAFirstChunkAreIgnoredAndAFirstChunkStartsAfresh) {
  MessageAssembler assembler(64);
  const std::string text = "START;SERVER;FIND;NULL;END;";
  EXPECT_EQ(assembler.Add(Bytes(text), 5, Length(text), kChannelFlagLast), Step::kIgnored);
  EXPECT_EQ(assembler.Add(Bytes(text), 5, Length(text), 0), Step::kIgnored);
  // An unfinished message is dropped by the next first chunk.
  EXPECT_EQ(assembler.Add(Bytes("garbage"), 7, 30, kChannelFlagFirst), Step::kIncomplete);
  EXPECT_EQ(assembler.Add(Bytes(text), Length(text), Length(text), kOnly), Step::kComplete);
  EXPECT_EQ(Text(assembler.Message()), text);
  // Reset forgets a partial message.
  EXPECT_EQ(assembler.Add(Bytes(text), 5, Length(text), kChannelFlagFirst), Step::kIncomplete);
  assembler.Reset();
  EXPECT_EQ(assembler.Add(Bytes(text) + 5, Length(text) - 5, Length(text), kChannelFlagLast),
            Step::kIgnored);
}

}  // namespace
}  // namespace quill
