// The shape of a request: exactly one of call/get/put naming a member, an id
// copied into the reply, and the arguments; from a web page, also the page's
// origin, and instead of a member the query of the origin policy.
#pragma once

#include <string>
#include <vector>

#include "request_error.h"
#include "script_json.h"

namespace quill::host {

// kQuery: {"origin": ..., "query": "policy"} (only with an origin; without
// one, "query" is an unknown key and ignored, as it always was).
enum class RequestVerb { kCall, kGet, kPut, kQuery };

struct ParsedRequest {
  Json id;  // null when absent
  // The payload was a JSON object: id and origin were read from it.
  bool isObject = false;
  bool hasOrigin = false;
  Json origin;  // as sent: not checked here
  RequestVerb verb = RequestVerb::kCall;
  std::string name;  // kQuery: "policy"
  // call and get: args (absent: none); put: value, then any args.
  std::vector<Json> arguments;
};

// Deeper nesting than this is refused (the id is copied into the reply, and
// writing it out walks it recursively).
constexpr int kMaxRequestNesting = 64;

// False with a bad-request error when the payload is not a JSON object of
// the contract's shape; the id and the origin are filled in whenever they
// could be read.
bool ParseRequest(const std::string& payload, ParsedRequest* request, RequestError* error);

}  // namespace quill::host
