// The token's keyed SHA-1 of script data (alone or joined with the machine
// code), the seed export and the machine code.
#include <algorithm>
#include <string>

#include "base64.h"
#include "control_codes.h"
#include "members/members.h"
#include "session.h"
#include "session_ops.h"

namespace quill {
namespace {

constexpr size_t kMaxInputCharacters = 32;
constexpr size_t kInputBytesKept = 32;
constexpr size_t kSha1Size = 20;
constexpr size_t kSeedSize = 32;
constexpr uint8_t kSeedIndex = 0;

ScriptText DigestOf(const uint8_t* data, size_t length) {
  uint8_t digest[kSha1Size];
  if (TokenSha1WithSeed(SelectedHandle(), kSeedIndex, data, length, digest) != 0) {
    return ScriptText::Null();
  }
  return TextResult(HexEncode(digest, sizeof(digest)));
}

}  // namespace

ScriptText QuillSHA1WithSeed(const ScriptText& input) {
  if (!TokenPresent()) return ScriptText::Null();
  const size_t characters = CharacterCount(input);
  if (characters > kMaxInputCharacters) {
    TokenSetLastError(CTL_SEED_INPUT_TOO_LONG);
    return ScriptText::Null();
  }
  // The digest covers as many bytes as the text has characters: the converted
  // bytes beyond that count are left out, missing ones are zeros.
  uint8_t data[kInputBytesKept] = {};
  const std::string narrow = Narrow(input);
  std::copy_n(narrow.begin(), std::min(narrow.size(), sizeof(data)), data);
  return DigestOf(data, characters);
}

ScriptText QuillSHA1WithSeedEx(const ScriptText& input) {
  if (ModelRefused(1)) return ScriptText::Null();
  if (!TokenPresent()) return ScriptText::Null();
  if (CharacterCount(input) > kMaxInputCharacters) {
    TokenSetLastError(CTL_SEED_INPUT_TOO_LONG);
    return ScriptText::Null();
  }
  const std::string narrow = Narrow(input).substr(0, kInputBytesKept);
  std::string machineCode;
  if (ComputeMachineCode(&machineCode) != 0) {
    TokenSetLastError(CTL_NO_MACHINE_CODE);
    return ScriptText::Null();
  }
  const std::string joined = narrow + machineCode;
  return DigestOf(reinterpret_cast<const uint8_t*>(joined.data()), joined.size());
}

ScriptText QuillSecureExportSeed() {
  if (ModelRefused(0)) return ScriptText::Null();
  if (!TokenPresent()) return ScriptText::Null();
  uint8_t seed[kSeedSize];
  if (TokenExportSeed(SelectedHandle(), 0, seed) != 0) return ScriptText::Null();
  return TextResult(Base64Encode(seed, sizeof(seed)));
}

ScriptText QuillGetMachineCode() {
  if (!TokenPresent()) return ScriptText::Null();
  std::string machineCode;
  if (ComputeMachineCode(&machineCode) != 0) {
    TokenSetLastError(CTL_NO_MACHINE_CODE);
    return ScriptText::Null();
  }
  return TextResult(machineCode);
}

}  // namespace quill
