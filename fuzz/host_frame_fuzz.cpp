// The host's native-messaging framing on any input arriving in pieces of any
// size: frames are read in order, never longer than the limit, never more
// bytes than arrived, and read alike with and without the buffered source.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame_io.h"

namespace {

using quill::host::FrameStatus;

// Hands out the input in pieces of at most step bytes.
class PieceSource : public quill::host::ByteSource {
 public:
  PieceSource(const uint8_t* data, size_t size, size_t step)
      : data_(data), size_(size), step_(step) {}
  size_t Read(uint8_t* out, size_t size) override {
    const size_t n = std::min({size, step_, size_ - position_});
    std::copy(data_ + position_, data_ + position_ + n, out);
    position_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t step_;
  size_t position_ = 0;
};

struct Outcome {
  std::vector<std::string> frames;
  FrameStatus last = FrameStatus::kEnd;
  uint32_t announced = 0;
};

Outcome ReadAll(quill::host::ByteSource& source, size_t inputSize) {
  Outcome outcome;
  size_t total = 0;
  for (;;) {
    std::string payload;
    uint32_t announced = 0;
    const FrameStatus status = quill::host::ReadFrame(source, &payload, &announced);
    if (status != FrameStatus::kFrame) {
      outcome.last = status;
      outcome.announced = announced;
      return outcome;
    }
    if (payload.size() > quill::host::kMaxRequestSize) std::abort();
    total += 4 + payload.size();
    if (total > inputSize) std::abort();
    outcome.frames.push_back(payload);
  }
}

// A sink with room for a given number of bytes; a longer write fails whole.
class LimitedSink : public quill::host::ByteSink {
 public:
  explicit LimitedSink(size_t room) : room_(room) {}
  bool Write(const uint8_t* data, size_t size) override {
    if (size > room_) return false;
    room_ -= size;
    written.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  std::string written;

 private:
  size_t room_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t step = 1 + data[0] % 16;
  const uint8_t* input = data + 1;
  const size_t length = size - 1;

  PieceSource direct(input, length, step);
  const Outcome plain = ReadAll(direct, length);

  PieceSource underlying(input, length, step);
  quill::host::BufferedSource buffered(underlying, 1 + data[0] % 64);
  const Outcome viaBuffer = ReadAll(buffered, length);
  if (plain.frames != viaBuffer.frames || plain.last != viaBuffer.last ||
      plain.announced != viaBuffer.announced) {
    std::abort();
  }

  // Every frame read writes back to the same bytes.
  std::string rewritten;
  for (const std::string& frame : plain.frames) {
    LimitedSink sink(frame.size() + 4);
    if (!quill::host::WriteFrame(sink, frame)) std::abort();
    rewritten += sink.written;
    LimitedSink tooSmall(frame.size() + 3);
    if (quill::host::WriteFrame(tooSmall, frame)) std::abort();
  }
  if (rewritten.compare(0, rewritten.size(), reinterpret_cast<const char*>(input),
                        rewritten.size()) != 0) {
    std::abort();
  }
  return 0;
}
