// libFuzzer target for the token relay's message handling: the server end's
// reply codec and request exchange (through a channel that hands back the
// fuzz input as the reply), and the client end's request stream. Built and
// run by scripts/fuzz-relay.sh with AddressSanitizer, so that any write past
// a slot shows.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "relay_client.h"
#include "relay_codec.h"
#include "remote_relay.h"

namespace {

using quill::ChannelRead;

// A remote session whose client answers every request with the same bytes.
class ReplayChannel : public quill::RemoteChannelPort {
 public:
  ReplayChannel(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool IsRemoteSession() override { return true; }
  bool OpenChannel() override { return open_ = true; }
  bool CloseChannel() override {
    open_ = false;
    return true;
  }
  bool IsChannelOpen() override { return open_; }
  bool SendRequest(const char*, size_t) override { return open_; }
  ChannelRead ReceiveReply(uint8_t* buffer, size_t capacity, size_t* received) override {
    *received = size_ < capacity ? size_ : capacity;
    if (*received == 0) return ChannelRead::kTimeout;
    std::memcpy(buffer, data_, *received);
    return ChannelRead::kOk;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  bool open_ = false;
};

class Latin1Text : public quill::TextPort {
 public:
  std::string ToNarrow(quill::CodePage, const std::u16string& text) override {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return out;
  }
  std::u16string ToWide(quill::CodePage, const std::string& text) override {
    return std::u16string(text.begin(), text.end());
  }
};

class AnyTokens : public quill::RelayTokenAccess {
 public:
  bool TokenAttached() override { return true; }
  bool FirstTokenUid(std::string* uid) override {
    *uid = "0123456789abcdef0123456789abcdef";
    return true;
  }
  bool LoginFirstToken(const std::string& password) override { return password.size() % 2 == 0; }
  bool FirstTokenKeyInfo(std::vector<uint8_t>* record) override {
    record->assign(232, 0x5A);
    return true;
  }
  bool LogoutFirstToken() override { return true; }
};

void ServerEnd(const uint8_t* data, size_t size) {
  char status[quill::kRelayFieldSlot];
  char field[quill::kRelayDataSlot];
  quill::ParseReply(reinterpret_cast<const char*>(data), size, status, field);
  quill::CheckStatus(status);

  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<uint8_t> bytes;
  quill::DecodeData(text.c_str(), &bytes);

  char request[quill::kRelayRequestBuffer];
  size_t length = 0;
  const size_t cut = text.find(';');
  quill::BuildRequest(text.substr(0, cut == std::string::npos ? 0 : cut),
                      cut == std::string::npos ? text : text.substr(cut + 1), request, &length);

  ReplayChannel channel(data, size);
  Latin1Text latin1;
  quill::CRemoteRelay relay(channel, latin1);
  relay.Probe();
  relay.Find();
  char id[quill::kRelayIdCapacity];
  relay.GetId(id, sizeof id);
  uint8_t decoded[quill::kRelayDataCapacity];
  int count = 0;
  relay.GetData(decoded, sizeof decoded, &count);
  relay.Close();
  const std::u16string wide(text.begin(), text.end());
  relay.Open(wide.c_str());
}

void ClientEnd(const uint8_t* data, size_t size) {
  AnyTokens tokens;
  quill::RelayClient client(tokens);
  // The first byte chooses the chunk size, so that splits fall anywhere.
  const size_t chunk = size > 0 ? 1 + data[0] % 64 : 1;
  for (size_t offset = 0; offset < size; offset += chunk) {
    const size_t length = size - offset < chunk ? size - offset : chunk;
    client.ReceiveAndReply(data + offset, length);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ServerEnd(data, size);
  ClientEnd(data, size);
  return 0;
}
