// Why a request could not run, as the reply's error code names it.
#pragma once

#include <string>

namespace quill::host {

enum class RequestErrorKind {
  kBadRequest,
  kUnknownMember,
  kBadArity,
  kTypeMismatch,
  kNotAProperty,
  kNotAMethod,
  kBadOrigin,
  kOriginForbidden,
  kOriginMismatch,
  kPolicyUnreadable,
};

struct RequestError {
  RequestErrorKind kind;
  std::string message;
};

// "bad-request", "unknown-member", "bad-arity", "type-mismatch",
// "not-a-property", "not-a-method", "bad-origin", "origin-forbidden",
// "origin-mismatch", "policy-unreadable".
const char* RequestErrorCode(RequestErrorKind kind);

}  // namespace quill::host
