// A scripted channel for the relay's tests: the session answer, whether
// opening succeeds, and one scripted outcome per read; every call is counted
// and every request kept.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "remote_channel_port.h"

namespace quill::test {

class FakeRemoteChannel : public RemoteChannelPort {
 public:
  struct Read {
    ChannelRead outcome = ChannelRead::kOk;
    std::string bytes;
  };

  bool IsRemoteSession() override {
    ++sessionQuestions;
    return remote;
  }
  bool OpenChannel() override {
    ++opens;
    open = openSucceeds;
    return open;
  }
  bool CloseChannel() override {
    ++closes;
    const bool was = open;
    open = false;
    return was;
  }
  bool IsChannelOpen() override { return open; }
  bool SendRequest(const char* text, size_t length) override {
    requests.emplace_back(text, length);
    return open && sendSucceeds;
  }
  ChannelRead ReceiveReply(uint8_t* buffer, size_t capacity, size_t* received) override {
    ++reads;
    offered.push_back(capacity);
    *received = 0;
    if (!open) return ChannelRead::kNoChannel;
    if (replies.empty()) return ChannelRead::kTimeout;
    Read next = replies.front();
    replies.pop_front();
    if (next.outcome != ChannelRead::kOk) return next.outcome;
    *received = std::min(next.bytes.size(), capacity);
    std::memcpy(buffer, next.bytes.data(), *received);
    return ChannelRead::kOk;
  }

  void Reply(const std::string& bytes) { replies.push_back(Read{ChannelRead::kOk, bytes}); }
  void Fail(ChannelRead outcome) { replies.push_back(Read{outcome, {}}); }

  bool remote = true;
  bool openSucceeds = true;
  bool sendSucceeds = true;
  bool open = false;
  std::deque<Read> replies;  // empty: the read times out
  std::vector<std::string> requests;
  std::vector<size_t> offered;
  int sessionQuestions = 0;
  int opens = 0;
  int closes = 0;
  int reads = 0;
};

constexpr char kOkReply[] = "START;CLIENT;OK;NULL;END;";
constexpr char kErrorReply[] = "START;CLIENT;ERROR;NULL;END;";

}  // namespace quill::test
