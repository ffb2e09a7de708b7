// The remote change: an encrypted request for a server, and the server's
// encrypted response applied to the token in three commands.
#include <cstring>
#include <string>
#include <vector>

#include "base64.h"
#include "commands/command_codes.h"
#include "commands/command_support.h"
#include "commands/remote_key.h"
#include "crypto/crc16b.h"
#include "crypto/des.h"
#include "crypto/md5.h"
#include "library_lock.h"
#include "library_state.h"

namespace quill {

void DeriveRemoteKey(const char* uid, const uint8_t clientRandom[32], const uint8_t secret[16],
                     uint8_t key[24], uint8_t iv[8]) {
  uint8_t message[32 + 32 + 16 + 16];
  std::memcpy(message, uid, 32);
  std::memcpy(message + 32, clientRandom, 32);
  std::memcpy(message + 64, secret, 16);
  uint8_t first[kMd5DigestSize];
  Md5Digest(message, 80, first);
  std::memcpy(message + 80, first, kMd5DigestSize);
  uint8_t second[kMd5DigestSize];
  Md5Digest(message, 96, second);
  std::memcpy(key, first, 16);
  std::memcpy(key + 16, second, 8);
  std::memcpy(iv, second + 8, 8);
}

namespace {

void DeriveForToken(const char* uid, const uint8_t clientRandom[32], uint8_t key[24],
                    uint8_t iv[8]) {
  DeriveRemoteKey(uid, clientRandom, Library().config->remoteSecret.data(), key, iv);
}

void StoreCrc(uint8_t* bytes, size_t length) {
  const uint16_t crc = Crc16B(bytes, length);
  bytes[length] = static_cast<uint8_t>(crc & 0xFF);
  bytes[length + 1] = static_cast<uint8_t>(crc >> 8);
}

// The digest of the text at offset: read up to its terminator, at most 64 characters.
void DigestOfText(const uint8_t* record, size_t offset, uint8_t digest[kPasswordDigestSize]) {
  char text[65] = {};
  for (size_t i = 0; i < 64 && record[offset + i] != 0; ++i) {
    text[i] = static_cast<char>(record[offset + i]);
  }
  PasswordDigest(text, digest);
}

}  // namespace

int TokenRemoteChangeRequest(TokenHandle handle, const uint8_t clientRandom[32],
                             const uint8_t clientText[64], char* out, size_t capacity) {
  const LibraryLock lock;
  char uid[kUidTextSize];
  if (TokenGetUID(handle, uid) != 0) return 1;
  if (clientRandom == nullptr || clientText == nullptr) return Failed(kErrArgumentRange, 7);

  uint8_t record[kRemoteRequestSize];
  uint8_t challenge[8];
  TokenRandomFill(record, sizeof(record));
  TokenRandomFill(challenge, sizeof(challenge));
  std::memcpy(record, "RERM", 4);
  std::memcpy(record + 4, uid, 32);
  std::memcpy(record + 52, clientText, 64);
  uint8_t key[24];
  uint8_t iv[8];
  DeriveForToken(uid, clientRandom, key, iv);

  uint8_t answer[8];
  if (ReadCommand(handle, kInsRemoteChallenge, 0, 0, challenge, 8, answer, 8) != 0) return 5;
  std::memcpy(record + 36, challenge, 8);
  std::memcpy(record + 44, answer, 8);
  StoreCrc(record, 118);
  TripleDesCbcEncrypt(key, iv, record, sizeof(record));
  const std::string text = Base64Encode(record, sizeof(record));
  if (text.size() != kRemoteRequestTextLength) return Failed(kErrRemoteRequestEncode, 6);
  // The text goes out with its terminator: capacity counts both.
  if (out == nullptr || capacity <= text.size()) return Failed(kErrArgumentRange, 7);
  std::memcpy(out, text.c_str(), text.size() + 1);
  return Succeeded();
}

int TokenRemoteChange(TokenHandle handle, const uint8_t clientRandom[32], const char* response) {
  const LibraryLock lock;
  char uid[kUidTextSize];
  if (TokenGetUID(handle, uid) != 0) return 1;
  if (clientRandom == nullptr || response == nullptr) {
    return Failed(kErrRemoteResponseInvalid, 1);
  }
  uint8_t key[24];
  uint8_t iv[8];
  DeriveForToken(uid, clientRandom, key, iv);

  size_t length = std::strlen(response);
  while (length > 0 && response[length - 1] == ' ') --length;
  std::vector<uint8_t> decoded;
  if (!Base64Decode(response, length, &decoded) || decoded.size() < kRemoteResponseSize) {
    return Failed(kErrRemoteResponseInvalid, 1);
  }
  TripleDesCbcDecrypt(key, iv, decoded.data(), decoded.size());
  const size_t body = decoded.size() - 2;
  const uint16_t crc = Crc16B(decoded.data(), body);
  if (decoded[body] != (crc & 0xFF) || decoded[body + 1] != (crc >> 8)) {
    return Failed(kErrRemoteResponseInvalid, 1);
  }
  const uint8_t* record = decoded.data();
  if (std::memcmp(record, "SERM", 4) != 0) return Failed(kErrRemoteResponseMarker, 2);
  if (std::memcmp(record + 4, uid, 32) != 0) return 3;

  uint8_t payload[kRemoteApplyPayloadSize];
  std::memcpy(payload, record + 36, 16);         // value A
  DigestOfText(record, 52, payload + 16);        // text 1
  DigestOfText(record, 84, payload + 48);        // text 2
  std::memcpy(payload + 80, record + 116, 32);   // value B
  std::memcpy(payload + 112, record + 148, 24);  // value C
  std::memcpy(payload + 136, record + 172, 24);  // value D
  payload[160] = record[196];                    // value E
  if (SendCommand(handle, kInsRemoteApply, 1, 0, payload, sizeof(payload)) != 0) return 4;
  if (SendCommand(handle, kInsRemoteApply, 1, 1, record + 197, kKeyInfoSize) != 0) return 5;
  if (SendCommand(handle, kInsRemoteApply, 0xFF, 0xFF, nullptr, 0) != 0) return 6;
  return Succeeded();
}

}  // namespace quill
