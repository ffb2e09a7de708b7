#include "host_channel.h"

#include "frame_io.h"

namespace quill::host {

bool SendRequest(ChildProcess& host, const std::string& payload) {
  uint8_t prefix[4];
  EncodeFrameLength(static_cast<uint32_t>(payload.size()), prefix);
  std::string frame(reinterpret_cast<const char*>(prefix), sizeof prefix);
  frame += payload;
  return host.Write(frame.data(), frame.size());
}

PipeStatus ReceiveReply(ChildProcess& host, std::string* reply, int timeoutMs) {
  uint8_t prefix[4];
  const PipeStatus status = host.Read(prefix, sizeof prefix, timeoutMs);
  if (status != PipeStatus::kDone) return status;
  const uint32_t length = DecodeFrameLength(prefix);
  if (length > kMaxReplySize) return PipeStatus::kEnd;
  reply->assign(length, '\0');
  if (length == 0) return PipeStatus::kDone;
  return host.Read(&(*reply)[0], length, timeoutMs);
}

}  // namespace quill::host
