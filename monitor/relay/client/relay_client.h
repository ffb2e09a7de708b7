// The client machine's end of the token relay: it answers the requests that
// the monitor in a remote-desktop session sends over the "_QLCHN" channel.
//
// A request is ASCII text of five fields, each ended by ";":
//   START;SERVER;<command>;<argument>;END;
// and ends at its fifth ";" (no terminating zero travels). The answer to each
// request is one reply
//   START;CLIENT;<status>;<data>;END;
// with status "OK" or "ERROR" and a data field that is never empty ("NULL"
// when there is nothing to carry):
//   FIND     "OK" exactly when a token is attached; data "NULL"
//   GETID    the first token's UID (32 lowercase hexadecimal characters)
//   OPEN     logs in to the first token with the argument as the password
//   GETDATA  the first token's 232-byte key information record, Base64
//   CLOSE    logs out of the first token
// Anything else (an unknown command, a request not framed by START, SERVER
// and END, a request longer than kMaxRequestBytes) is answered "ERROR" with
// data "NULL", so that every request gets exactly one reply.
//
// RelayClient holds no platform code: it is fed the bytes as the channel
// delivers them, in any chunking, and hands back the bytes to write. The
// tokens are reached through RelayTokenAccess, so that fakes can stand in;
// library_token_access.h has the implementation over the token library.
// Not thread-safe: one channel, one RelayClient, one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quill {

// What the client end needs of the tokens attached to its machine. Every
// operation concerns the first token found; false means it failed (no token
// included).
class RelayTokenAccess {
 public:
  virtual ~RelayTokenAccess() = default;
  // Whether at least one token is attached.
  virtual bool TokenAttached() = 0;
  // The first token's UID text.
  virtual bool FirstTokenUid(std::string* uid) = 0;
  // Logs in to the first token with this password (8-bit text as received).
  virtual bool LoginFirstToken(const std::string& password) = 0;
  // The first token's key information record, exactly 232 bytes.
  virtual bool FirstTokenKeyInfo(std::vector<uint8_t>* record) = 0;
  // Logs out of the first token.
  virtual bool LogoutFirstToken() = 0;
};

// The longest request kept, in bytes, up to and including its fifth ";": the
// monitor composes its requests in a 1024-byte buffer. Longer requests are
// still consumed up to their fifth ";" and answered "ERROR", but their bytes
// beyond this limit are not stored.
constexpr size_t kMaxRequestBytes = 1024;

// One request answered.
struct RelayAnswer {
  std::string command;  // the command field as received (at most 15 bytes kept)
  bool ok = false;      // the status sent: "OK" (true) or "ERROR"
  std::string reply;    // the reply bytes to write back
};

class RelayClient {
 public:
  explicit RelayClient(RelayTokenAccess& tokens) : tokens_(tokens) {}

  // Takes bytes as received and appends one answer per request they complete,
  // in order. A request split across calls is completed by a later call.
  void Receive(const uint8_t* data, size_t length, std::vector<RelayAnswer>* answers);
  // The same, handing back only the reply bytes of the completed requests,
  // concatenated (empty when no request was completed).
  std::string ReceiveAndReply(const uint8_t* data, size_t length);

  // Forgets a partly received request (the channel closed or reopened).
  void Reset();
  // Whether bytes of an unfinished request are waiting for the rest.
  bool HasPartialRequest() const { return !pending_.empty() || separators_ > 0; }

 private:
  RelayAnswer Answer();

  RelayTokenAccess& tokens_;
  std::string pending_;    // the current request's bytes, at most kMaxRequestBytes
  int separators_ = 0;     // ";" seen in the current request
  bool overlong_ = false;  // the current request outgrew kMaxRequestBytes
};

}  // namespace quill
