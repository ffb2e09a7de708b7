// One request of the wire contract in, one reply out: the request is parsed,
// checked against the member table and run; the reply carries the member's
// result or the reason the request could not run.
#pragma once

#include <string>

namespace quill::host {

// Never fails: a payload that is not a usable request gets an error reply.
std::string AnswerRequest(const std::string& payload);

}  // namespace quill::host
