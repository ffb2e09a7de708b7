// The two halves of a password reset through a server: the encrypted request
// carrying the token's answer to a challenge, and the server's response.
#include <algorithm>
#include <string>
#include <vector>

#include "base64.h"
#include "control_codes.h"
#include "members/members.h"
#include "members/reset_challenge.h"
#include "session.h"
#include "session_ops.h"

namespace quill {
namespace {

constexpr size_t kUidCharacters = 32;
constexpr size_t kRequestPlaintextSize = 67;
constexpr size_t kRequestCipherCapacity = 128;
constexpr size_t kMaxResponseCharacters = 255;
constexpr size_t kResponsePlaintextCapacity = 256;
constexpr size_t kHexFieldCharacters = 16;
constexpr size_t kMaxNewPasswordBytes = 32;
constexpr size_t kResponseFields = 4;

// The fields of text between ";" separators; runs of separators count as
// one. Stops after max fields (the rest of the text is ignored).
std::vector<std::string> SplitFields(const std::string& text, size_t max) {
  std::vector<std::string> fields;
  size_t position = 0;
  while (fields.size() < max) {
    position = text.find_first_not_of(';', position);
    if (position == std::string::npos) break;
    const size_t end = text.find(';', position);
    fields.push_back(text.substr(position, end - position));
    if (end == std::string::npos) break;
    position = end;
  }
  return fields;
}

}  // namespace

ScriptText QuillGenResetPwdRequest() {
  if (!TokenPresent()) return ScriptText::Null();
  const TokenHandle handle = SelectedHandle();
  char uid[kUidTextSize] = {};
  if (TokenGetUID(handle, uid) != 0) return ScriptText::Null();

  uint8_t challenge[kResetChallengeSize];
  ResetChallengeAt(ControlPorts().clock->NowSeconds(), challenge);
  uint8_t answer[kResetChallengeSize] = {};
  if (TokenResetChallenge(handle, challenge, answer) != 0) return ScriptText::Null();

  const std::string plaintext = std::string(uid, kUidCharacters) + ";" +
                                HexEncode(challenge, sizeof(challenge)) + ";" +
                                HexEncode(answer, sizeof(answer)) + ";";
  uint8_t cipher[kRequestCipherCapacity];
  size_t capacity = sizeof(cipher);
  if (TokenEncryptData(handle, KeySelector(), ControlAccessKey(),
                       reinterpret_cast<const uint8_t*>(plaintext.data()), kRequestPlaintextSize,
                       &capacity, cipher) != 0) {
    return ScriptText::Null();
  }
  return TextResult(Base64Encode(cipher, capacity));
}

int32_t QuillResetPassword(const ScriptText& serverResponse) {
  if (!TokenPresent()) return 1;
  if (CharacterCount(serverResponse) > kMaxResponseCharacters) {
    TokenSetLastError(CTL_RESPONSE_TOO_LONG);
    return 2;
  }
  const std::string text = Narrow(serverResponse);
  std::vector<uint8_t> cipher;
  if (!Base64Decode(text.data(), text.size(), &cipher)) {
    TokenSetLastError(CTL_BAD_CIPHERTEXT);
    return 3;
  }
  if (cipher.size() % 8 != 0) {
    TokenSetLastError(CTL_BAD_CIPHERTEXT);
    return 4;
  }

  const TokenHandle handle = SelectedHandle();
  const uint8_t selector = KeySelector();
  uint8_t plain[kResponsePlaintextCapacity + 1] = {};
  size_t capacity = kResponsePlaintextCapacity;
  if (TokenDecryptData(handle, selector, ControlAccessKey(), cipher.data(), cipher.size(),
                       &capacity, plain) != 0) {
    return selector == 1 ? 5 : 6;
  }
  const uint8_t* plainBegin = plain;
  const std::string response(plainBegin, std::find(plainBegin, plainBegin + capacity, 0));
  const std::vector<std::string> fields = SplitFields(response, kResponseFields);
  if (fields.size() < kResponseFields) {
    TokenSetLastError(CTL_BAD_RESPONSE_FORMAT);
    return 7;
  }
  const std::string uidField = fields[0].substr(0, kUidCharacters);
  const std::string challengeField = fields[1].substr(0, kHexFieldCharacters);
  const std::string answerField = fields[2].substr(0, kHexFieldCharacters);
  const std::string& newPassword = fields[3];
  if (newPassword.size() > kMaxNewPasswordBytes) {
    TokenSetLastError(CTL_RESET_PIN_TOO_LONG);
    return 8;
  }

  char uid[kUidTextSize] = {};
  if (TokenGetUID(handle, uid) != 0) return 9;
  if (uidField != uid) {
    TokenSetLastError(CTL_UID_MISMATCH);
    return 10;
  }
  // A digit that is not hexadecimal ends a field; the bytes after it stay zero.
  uint8_t challenge[kResetChallengeSize] = {};
  uint8_t serverAnswer[kResetChallengeSize] = {};
  HexDecode(challengeField, challenge, sizeof(challenge));
  HexDecode(answerField, serverAnswer, sizeof(serverAnswer));
  if (TokenResetPassword(handle, challenge, serverAnswer, newPassword.c_str()) != 0) return 11;
  return 0;
}

}  // namespace quill
