#include "remote_relay.h"

#include <algorithm>
#include <cstring>

namespace quill {
namespace {

constexpr char kNoArgument[] = "NULL";

bool HasLoneSurrogate(const std::u16string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        ++i;
        continue;
      }
      return true;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) return true;
  }
  return false;
}

}  // namespace

bool CRemoteRelay::Probe() {
  if (!channel_.IsRemoteSession()) {
    connected_ = 0;
    return false;
  }
  if (channel_.IsChannelOpen() || channel_.OpenChannel()) {
    connected_ = 1;
    return true;
  }
  connected_ = 0;
  return false;
}

int CRemoteRelay::Exchange(const std::string& command, const std::string& argument,
                           size_t replyLimit, Reply* reply) {
  if (connected_ != 1) return kRelayNotConnected;

  char request[kRelayRequestBuffer];
  size_t requestLength = 0;
  if (!BuildRequest(command, argument, request, &requestLength)) return kRelaySendFailed;
  if (!channel_.SendRequest(request, requestLength)) {
    channel_.CloseChannel();
    return kRelaySendFailed;
  }

  // The reply is delimited by its count; the byte past the read stays zero,
  // so that even a full read is a terminated text.
  uint8_t received[kRelayReplyRead + 1] = {};
  size_t count = 0;
  const ChannelRead read = channel_.ReceiveReply(received, kRelayReplyRead, &count);
  if (read == ChannelRead::kBroken) channel_.CloseChannel();
  if (read != ChannelRead::kOk) return kRelayReceiveFailed;
  count = std::min(count, kRelayReplyRead);
  if (count > replyLimit) return kRelayMalformed;
  reply->length = count;

  if (ParseReply(reinterpret_cast<const char*>(received), count, reply->status, reply->data) != 0) {
    return kRelayMalformed;
  }
  if (CheckStatus(reply->status) != 0) return kRelayStatusNotOk;
  return kRelayOk;
}

int CRemoteRelay::Find() {
  Reply reply;
  return Exchange("FIND", kNoArgument, kRelayReplyRead, &reply);
}

int CRemoteRelay::Open(const char16_t* text) {
  if (connected_ != 1) return kRelayNotConnected;
  if (text == nullptr) return kRelaySendFailed;
  const std::u16string wide(text);
  if (HasLoneSurrogate(wide)) return kRelaySendFailed;
  const std::string argument = text_.ToNarrow(CodePage::kThreadAnsi, wide);
  Reply reply;
  return Exchange("OPEN", argument, kRelayReplyRead, &reply);
}

int CRemoteRelay::GetId(char* out, size_t capacity) {
  if (connected_ != 1) return kRelayNotConnected;
  if (capacity < kRelayIdCapacity) return kRelaySendFailed;
  Reply reply;
  const int result = Exchange("GETID", kNoArgument, kRelayReplyRead, &reply);
  if (result != kRelayOk) return result;
  std::memset(out, 0, kRelayIdCapacity);
  std::memcpy(out, reply.data, std::min(reply.length, kRelayIdCapacity));
  return kRelayOk;
}

int CRemoteRelay::GetData(uint8_t* out, size_t capacity, int* count) {
  Reply reply;
  const int result = Exchange("GETDATA", kNoArgument, kRelayReplyRead, &reply);
  if (result != kRelayOk) return result;
  std::vector<uint8_t> bytes;
  if (DecodeData(reply.data, &bytes) != 0 || bytes.size() > capacity) return kRelayBadData;
  if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
  *count = static_cast<int>(bytes.size());
  return kRelayOk;
}

int CRemoteRelay::Close() {
  Reply reply;
  return Exchange("CLOSE", kNoArgument, kRelayCloseReply, &reply);
}

}  // namespace quill
