// The file members: declared by the interface, backed by nothing. Each
// records CTL_NOT_SUPPORTED and returns its failure value at once.
#include "control_codes.h"
#include "members/members.h"
#include "token.h"

namespace quill {
namespace {

int32_t NotSupported(int32_t result) {
  TokenSetLastError(CTL_NOT_SUPPORTED);
  return result;
}

}  // namespace

int32_t QuillOpenFile(const ScriptText&, int32_t) {
  return NotSupported(-1);
}

ScriptText QuillReadFile(int32_t, int32_t) {
  NotSupported(0);
  return ScriptText::Null();
}

int32_t QuillWriteFile(int32_t, const ScriptText&) {
  return NotSupported(1);
}
int32_t QuillFlushFile(int32_t) {
  return NotSupported(1);
}
int32_t QuillFileSeek(int32_t, int32_t) {
  return NotSupported(1);
}
int32_t QuillDeleteFile(const ScriptText&) {
  return NotSupported(1);
}
int32_t QuillRenameFile(const ScriptText&, const ScriptText&) {
  return NotSupported(1);
}
int32_t QuillGetSize(int32_t) {
  return NotSupported(-1);
}
int32_t QuillCloseFile(int32_t) {
  return NotSupported(1);
}
int32_t QuillGetAvailableSpaces() {
  return NotSupported(1);
}

}  // namespace quill
