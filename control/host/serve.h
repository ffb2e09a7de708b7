// The host's request loop: one reply per request, in order, until the input
// ends.
#pragma once

#include <string>

#include "frame_io.h"
#include "policy_source.h"

namespace quill::host {

constexpr int kExitDone = 0;         // the input ended between two requests
constexpr int kExitWriteFailed = 1;  // a reply could not be written
constexpr int kExitBadFrame = 2;     // a request too long, or cut short

// Serves requests from input until it ends, checking the requests of web
// pages against the machine policy of the given source; returns the exit
// status, with a one-line reason in diagnostic for any status but kExitDone.
int ServeRequests(ByteSource& input, ByteSink& output, PolicySource& policy,
                  std::string* diagnostic);

}  // namespace quill::host
