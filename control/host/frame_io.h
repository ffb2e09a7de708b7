// The native-messaging framing: a 32-bit length in the machine's byte order
// (little-endian on the machines the host runs on), then that many bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quill::host {

// The longest request the host accepts: 1 MiB.
constexpr uint32_t kMaxRequestSize = 1024 * 1024;

// Where requests come from: up to size bytes per call, 0 at end of input
// (or when the input cannot be read any more).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(uint8_t* data, size_t size) = 0;
};

// Where replies go; false when the bytes could not all be written.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const uint8_t* data, size_t size) = 0;
};

// Reads its source in large pieces and hands them out as asked: one system
// call per request instead of two when length and body arrive together.
class BufferedSource : public ByteSource {
 public:
  explicit BufferedSource(ByteSource& source, size_t capacity = 64 * 1024)
      : source_(source), buffer_(capacity) {}
  size_t Read(uint8_t* data, size_t size) override;

 private:
  ByteSource& source_;
  std::vector<uint8_t> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
};

enum class FrameStatus {
  kFrame,    // a whole request is in the payload
  kEnd,      // the input ended between two frames
  kTooLong,  // the length prefix exceeds kMaxRequestSize
  kCut,      // the input ended inside a frame
};

// Reads one frame; the payload holds its bytes for kFrame. For kTooLong and
// kCut, size (when given) is the length the prefix announced (kCut: 0 when
// the prefix itself was cut).
FrameStatus ReadFrame(ByteSource& source, std::string* payload, uint32_t* size = nullptr);

// Writes the length prefix and the payload; false when the sink fails or the
// payload does not fit a 32-bit length.
bool WriteFrame(ByteSink& sink, const std::string& payload);

// The four prefix bytes of a frame of the given length.
void EncodeFrameLength(uint32_t length, uint8_t prefix[4]);
uint32_t DecodeFrameLength(const uint8_t prefix[4]);

}  // namespace quill::host
