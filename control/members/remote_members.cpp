// The remote change: the request a server answers, and applying its answer.
#include <algorithm>
#include <string>

#include "control_codes.h"
#include "members/members.h"
#include "session.h"
#include "session_ops.h"

namespace quill {
namespace {

constexpr size_t kMaxRandomBytes = 32;
constexpr size_t kRequestFieldSize = 128;
constexpr size_t kRandomFieldSize = 64;
constexpr size_t kRequestTextCapacity = 512;

// text in a zeroed field of Size bytes (text is at most Size bytes long).
template <size_t Size>
void FillField(const std::string& text, uint8_t (&field)[Size]) {
  std::fill(field, field + Size, 0);
  std::copy_n(text.begin(), std::min(text.size(), Size), field);
}

}  // namespace

ScriptText QuillRemoteChangeRequest(const ScriptText& random) {
  if (ModelRefused(1)) return ScriptText::Null();
  if (!TokenPresent()) return ScriptText::Null();
  const std::string randomText = Narrow(random);
  if (randomText.size() > kMaxRandomBytes) {
    TokenSetLastError(CTL_RANDOM_TOO_LONG);
    return ScriptText::Null();
  }
  std::string machineCode;
  if (ComputeMachineCode(&machineCode) != 0) {
    TokenSetLastError(CTL_NO_MACHINE_CODE);
    return ScriptText::Null();
  }
  uint8_t randomField[kRequestFieldSize];
  uint8_t machineField[kRequestFieldSize];
  FillField(randomText, randomField);
  FillField(machineCode, machineField);
  char request[kRequestTextCapacity] = {};
  if (TokenRemoteChangeRequest(SelectedHandle(), randomField, machineField, request,
                               sizeof(request)) != 0) {
    return ScriptText::Null();
  }
  return TextResult(std::string(request, std::find(request, request + sizeof(request), '\0')));
}

// The response is handed to the token library whole, whatever its length:
// nothing of it is cut, and the library checks it as it stands.
int32_t QuillRemoteChange(const ScriptText& response, const ScriptText& random) {
  if (ModelRefused(1)) return 1;
  if (!TokenPresent()) return 2;
  const std::string responseText = Narrow(response);
  const std::string randomText = Narrow(random);
  if (randomText.size() > kMaxRandomBytes) {
    TokenSetLastError(CTL_RANDOM_TOO_LONG);
    return 3;
  }
  uint8_t randomField[kRandomFieldSize];
  FillField(randomText, randomField);
  if (TokenRemoteChange(SelectedHandle(), randomField, responseText.c_str()) != 0) return 4;
  Session().keyInfoValid = false;
  return 0;
}

}  // namespace quill
