// The shape of a request: exactly one of call/get/put naming a member, an id
// copied into the reply, and the arguments.
#pragma once

#include <string>
#include <vector>

#include "request_error.h"
#include "script_json.h"

namespace quill::host {

enum class RequestVerb { kCall, kGet, kPut };

struct ParsedRequest {
  Json id;  // null when absent
  RequestVerb verb = RequestVerb::kCall;
  std::string name;
  // call and get: args (absent: none); put: value, then any args.
  std::vector<Json> arguments;
};

// Deeper nesting than this is refused (the id is copied into the reply, and
// writing it out walks it recursively).
constexpr int kMaxRequestNesting = 64;

// False with a bad-request error when the payload is not a JSON object of
// the contract's shape; the id is filled in whenever it could be read.
bool ParseRequest(const std::string& payload, ParsedRequest* request, RequestError* error);

}  // namespace quill::host
