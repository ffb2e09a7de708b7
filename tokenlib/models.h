// The token models the library knows.
#pragma once

#include <cstdint>

#include "token.h"

namespace quill {

struct TokenModelInfo {
  uint16_t hidVendorId;
  uint16_t hidProductId;
  const char* storageMarker;  // lower case; found inside CD-ROM interface paths
};

const TokenModelInfo& ModelInfo(TokenModel model);

}  // namespace quill
