// RelayTokenAccess over the token library: the first token is the first one
// that TokenFind reports, model A before model B. Every request runs a new
// discovery, so a token plugged in or pulled out between requests counts at
// once. The library's platform (and with it QUILL_VIRTUAL_TOKENS) is the
// program's.
#pragma once

#include "relay_client.h"

namespace quill {

class LibraryTokenAccess : public RelayTokenAccess {
 public:
  bool TokenAttached() override;
  bool FirstTokenUid(std::string* uid) override;
  bool LoginFirstToken(const std::string& password) override;
  bool FirstTokenKeyInfo(std::vector<uint8_t>* record) override;
  bool LogoutFirstToken() override;
};

}  // namespace quill
