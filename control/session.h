// The control's process-wide session: the device list, the selection, the
// model and the key information cache, shared by every control instance.
#pragma once

#include <cstdint>
#include <string>

#include "control_ports.h"
#include "token.h"

namespace quill {

constexpr int kSessionMaxTokens = 8;

struct QuillSession {
  TokenHandle handles[kSessionMaxTokens] = {};
  int32_t count = 0;
  int32_t requestEnabled = 0;
  bool keyInfoValid = false;
  bool listValid = false;
  int32_t selected = 0;
  int32_t model = 0;
  int32_t variant = 0;
  std::u16string name;
  std::u16string description;
  std::u16string url;
  std::u16string other;
};

// The session and the platform the control runs on (one per process). Until
// ResetControl names one, the platform is this machine's own.
QuillSession& Session();
ControlPlatform& ControlPorts();
ControlPlatform& NativeControlPlatform();  // defined once per platform folder
// A fresh session on the given platform (tests, and each face at start).
void ResetControl(const ControlPlatform& platform);

}  // namespace quill
