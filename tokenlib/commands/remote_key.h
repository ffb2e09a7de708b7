// The Triple-DES key and IV of a remote change, shared by the token's owner
// and the server that answers: MD5 twice over UID text || client random || S.
#pragma once

#include <cstdint>

namespace quill {

constexpr size_t kRemoteRequestSize = 120;
constexpr size_t kRemoteResponseSize = 440;
constexpr size_t kRemoteApplyPayloadSize = 161;

// uid: the 32 UID characters; clientRandom: 32 bytes; secret: 16 bytes.
void DeriveRemoteKey(const char* uid, const uint8_t clientRandom[32], const uint8_t secret[16],
                     uint8_t key[24], uint8_t iv[8]);

}  // namespace quill
