// Tokens for the client core's tests: one settable token in memory, with a
// password, a login state and a key information record; calls are counted.
#pragma once

#include <string>
#include <vector>

#include "relay_client.h"

namespace quill::test {

class StubTokens : public RelayTokenAccess {
 public:
  StubTokens() : record(232) {
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(255 - i);
  }

  bool TokenAttached() override {
    ++calls;
    return attached;
  }
  bool FirstTokenUid(std::string* out) override {
    ++calls;
    if (!attached) return false;
    *out = uid;
    return true;
  }
  bool LoginFirstToken(const std::string& given) override {
    ++calls;
    passwords.push_back(given);
    loggedIn = attached && given == password;
    return loggedIn;
  }
  bool FirstTokenKeyInfo(std::vector<uint8_t>* out) override {
    ++calls;
    if (!attached) return false;
    *out = record;
    return true;
  }
  bool LogoutFirstToken() override {
    ++calls;
    if (!attached) return false;
    loggedIn = false;
    return true;
  }

  bool attached = true;
  bool loggedIn = false;
  std::string uid = "00112233445566778899aabbccddeeff";
  std::string password = "12345678";
  std::vector<uint8_t> record;
  std::vector<std::string> passwords;
  int calls = 0;
};

}  // namespace quill::test
