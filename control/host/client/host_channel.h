// Framed requests to a quill-host child and its framed replies.
#pragma once

#include <cstdint>
#include <string>

#include "child_process.h"

namespace quill::host {

// Replies longer than this are taken for garbage.
constexpr uint32_t kMaxReplySize = 64u << 20;

bool SendRequest(ChildProcess& host, const std::string& payload);

// kDone with the reply; kEnd when the host's output ended (or a length
// beyond kMaxReplySize came); kTimeout.
PipeStatus ReceiveReply(ChildProcess& host, std::string* reply, int timeoutMs);

}  // namespace quill::host
