// A minimal client of the virtual token wire format for tests: connects,
// reads the hello line, and exchanges encrypted frames as the library would.
#pragma once

#include <cstdint>
#include <string>

#include "frame.h"
#include "token_setup.h"
#include "virtual_token.h"

namespace quill {

// The library's default frame key.
extern const FrameKey kTestFrameKey;

// An encrypted request frame for the command, with random filler.
Frame EncryptedRequest(const FrameKey& key, const TokenApdu& apdu);
// The UID command: 0x3F, no data, 32 bytes expected.
TokenApdu UidCommand();
// Decrypts an answer taken from the wire.
Frame DecryptedAnswer(const FrameKey& key, const Frame& wire);

enum class ReadResult { kOk, kTimeout, kClosed };

class RawClient {
 public:
  RawClient(TokenKind kind, uint16_t port, const FrameKey& key = kTestFrameKey);
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connected() const { return fd_ >= 0; }
  // Reads up to the first line feed (included).
  std::string ReadHello();
  bool SendRequest(const Frame& wire);
  ReadResult ReadAnswer(Frame* wire, int timeoutMs = 5000);
  // Sends the command and returns the decrypted answer; false without one.
  bool Exchange(const TokenApdu& apdu, Frame* answer);
  // True when the peer has closed the connection (within timeoutMs).
  bool ClosedByPeer(int timeoutMs = 5000);

 private:
  ReadResult ReadBytes(uint8_t* buffer, size_t length, int timeoutMs);

  TokenKind kind_;
  FrameKey key_;
  int fd_ = -1;
};

}  // namespace quill
