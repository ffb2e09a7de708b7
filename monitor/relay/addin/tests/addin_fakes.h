// Stand-ins for the add-in core's tests: a client lending a channel that
// records what the add-in does with it, and tokens whose answers the test sets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "channel_constants.h"
#include "channel_host.h"
#include "client/relay_client.h"

namespace quill::testing {

struct RecordedWrite {
  std::string bytes;
  void* userData = nullptr;
};

class RecordingHost : public ChannelHost {
 public:
  uint32_t OpenChannel() override {
    ++opens;
    return openResult;
  }
  uint32_t CloseChannel() override {
    ++closes;
    return kChannelOk;
  }
  uint32_t WriteChannel(const uint8_t* data, uint32_t length, void* userData) override {
    writes.push_back({std::string(reinterpret_cast<const char*>(data), length), userData});
    // The client reads the buffer later: it must still hold the reply then.
    liveBuffers.push_back(data);
    return writeResult;
  }

  int opens = 0;
  int closes = 0;
  uint32_t openResult = kChannelOk;
  uint32_t writeResult = kChannelOk;
  std::vector<RecordedWrite> writes;
  std::vector<const uint8_t*> liveBuffers;
};

class SetTokens : public RelayTokenAccess {
 public:
  bool TokenAttached() override { return attached; }
  bool FirstTokenUid(std::string* text) override {
    if (!attached) return false;
    *text = uid;
    return true;
  }
  bool LoginFirstToken(const std::string& password) override {
    passwords.push_back(password);
    return attached && password == "12345678";
  }
  bool FirstTokenKeyInfo(std::vector<uint8_t>* record) override {
    if (!attached) return false;
    record->assign(232, 0x41);
    return true;
  }
  bool LogoutFirstToken() override { return attached; }

  bool attached = true;
  std::string uid = "00112233445566778899aabbccddeeff";
  std::vector<std::string> passwords;
};

inline const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}
inline uint32_t Length(const std::string& text) {
  return static_cast<uint32_t>(text.size());
}

constexpr char kFindRequest[] = "START;SERVER;FIND;NULL;END;";
constexpr char kFoundReply[] = "START;CLIENT;OK;NULL;END;";
constexpr char kNotFoundReply[] = "START;CLIENT;ERROR;NULL;END;";
constexpr uint32_t kOnly = kChannelFlagFirst | kChannelFlagLast;

}  // namespace quill::testing
