// The framing over in-memory streams: prefixes, pieces and the limit.
#include "frame_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace quill::host {
namespace {

// Hands out its bytes at most `piece` at a time.
class PiecewiseSource : public ByteSource {
 public:
  PiecewiseSource(std::string bytes, size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  size_t Read(uint8_t* data, size_t size) override {
    const size_t count = std::min({size, piece_, bytes_.size() - offset_});
    std::memcpy(data, bytes_.data() + offset_, count);
    offset_ += count;
    return count;
  }

 private:
  std::string bytes_;
  size_t piece_;
  size_t offset_ = 0;
};

class StringSink : public ByteSink {
 public:
  bool Write(const uint8_t* data, size_t size) override {
    bytes.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  std::string bytes;
};

std::string Prefix(uint32_t length) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                            static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
  return std::string(reinterpret_cast<const char*>(bytes), 4);
}

TEST(FrameIoTest, WritesALittleEndianLengthThenThePayload) {
  StringSink sink;
  ASSERT_TRUE(WriteFrame(sink, std::string(258, 'x')));
  EXPECT_EQ(sink.bytes.substr(0, 4), std::string("\x02\x01\x00\x00", 4));
  EXPECT_EQ(sink.bytes.size(), 262u);
}

TEST(FrameIoTest, ReadsFramesWhateverPiecesTheyArriveIn) {
  const std::string stream = Prefix(5) + "hello" + Prefix(0) + Prefix(3) + "abc";
  for (size_t piece : {1u, 2u, 3u, 7u, 100u}) {
    PiecewiseSource source(stream, piece);
    std::string payload;
    ASSERT_EQ(ReadFrame(source, &payload), FrameStatus::kFrame);
    EXPECT_EQ(payload, "hello");
    ASSERT_EQ(ReadFrame(source, &payload), FrameStatus::kFrame);
    EXPECT_EQ(payload, "");
    ASSERT_EQ(ReadFrame(source, &payload), FrameStatus::kFrame);
    EXPECT_EQ(payload, "abc");
    EXPECT_EQ(ReadFrame(source, &payload), FrameStatus::kEnd);
  }
}

TEST(FrameIoTest, TellsACutFrameAndAnOversizedOneApart) {
  std::string payload;
  uint32_t size = 0;
  PiecewiseSource cutPrefix(Prefix(9).substr(0, 3), 1);
  EXPECT_EQ(ReadFrame(cutPrefix, &payload, &size), FrameStatus::kCut);
  EXPECT_EQ(size, 0u);

  PiecewiseSource cutBody(Prefix(9) + "1234", 2);
  EXPECT_EQ(ReadFrame(cutBody, &payload, &size), FrameStatus::kCut);
  EXPECT_EQ(size, 9u);

  PiecewiseSource tooLong(Prefix(kMaxRequestSize + 1), 4);
  EXPECT_EQ(ReadFrame(tooLong, &payload, &size), FrameStatus::kTooLong);
  EXPECT_EQ(size, kMaxRequestSize + 1);

  PiecewiseSource hugeLength(std::string("\xff\xff\xff\xff", 4), 4);
  EXPECT_EQ(ReadFrame(hugeLength, &payload), FrameStatus::kTooLong);
}

}  // namespace
}  // namespace quill::host
