#include "frame_io.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quill::host {
namespace {

// Fills size bytes unless the input ends first; returns the bytes read.
size_t ReadFully(ByteSource& source, uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const size_t got = source.Read(data + done, size - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace

size_t BufferedSource::Read(uint8_t* data, size_t size) {
  if (begin_ == end_) {
    // A large read goes straight to the caller; a small one fills the buffer.
    if (size >= buffer_.size()) return source_.Read(data, size);
    begin_ = 0;
    end_ = source_.Read(buffer_.data(), buffer_.size());
    if (end_ == 0) return 0;
  }
  const size_t count = std::min(size, end_ - begin_);
  std::memcpy(data, buffer_.data() + begin_, count);
  begin_ += count;
  return count;
}

void EncodeFrameLength(uint32_t length, uint8_t prefix[4]) {
  std::memcpy(prefix, &length, sizeof length);
}

uint32_t DecodeFrameLength(const uint8_t prefix[4]) {
  uint32_t length = 0;
  std::memcpy(&length, prefix, sizeof length);
  return length;
}

FrameStatus ReadFrame(ByteSource& source, std::string* payload, uint32_t* size) {
  if (size) *size = 0;
  uint8_t prefix[4];
  const size_t prefixBytes = ReadFully(source, prefix, sizeof prefix);
  if (prefixBytes == 0) return FrameStatus::kEnd;
  if (prefixBytes < sizeof prefix) return FrameStatus::kCut;

  const uint32_t length = DecodeFrameLength(prefix);
  if (size) *size = length;
  if (length > kMaxRequestSize) return FrameStatus::kTooLong;

  payload->assign(length, '\0');
  if (length == 0) return FrameStatus::kFrame;
  const size_t got = ReadFully(source, reinterpret_cast<uint8_t*>(&(*payload)[0]), length);
  if (got < length) {
    payload->clear();
    return FrameStatus::kCut;
  }
  return FrameStatus::kFrame;
}

bool WriteFrame(ByteSink& sink, const std::string& payload) {
  if (payload.size() > std::numeric_limits<uint32_t>::max()) return false;
  uint8_t prefix[4];
  EncodeFrameLength(static_cast<uint32_t>(payload.size()), prefix);
  // Prefix and body in one write.
  std::string frame(reinterpret_cast<const char*>(prefix), sizeof prefix);
  frame += payload;
  return sink.Write(reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
}

}  // namespace quill::host
