// One request of the wire contract in, one reply out: the request is parsed,
// checked against the member table and run; the reply carries the member's
// result or the reason the request could not run.
//
// A request from a web page carries the page's origin. The first valid
// origin binds the host process to it: from then on, a request with another
// origin, or with none, is refused. Each request with an origin is checked
// against the machine policy, read anew from its source every time. A host
// never bound answers requests without an origin exactly as it always did.
#pragma once

#include <optional>
#include <string>

#include "origin.h"
#include "policy_source.h"

namespace quill::host {

class RequestHandler {
 public:
  explicit RequestHandler(PolicySource& policy) : policy_(policy) {}

  // Never fails: a payload that is not a usable request gets an error reply.
  std::string Answer(const std::string& payload);

  // The origin this host serves, once a request has bound it.
  const std::optional<WebOrigin>& boundOrigin() const { return bound_; }

 private:
  std::string AnswerParsed(const std::string& payload);

  PolicySource& policy_;
  std::optional<WebOrigin> bound_;
};

}  // namespace quill::host
