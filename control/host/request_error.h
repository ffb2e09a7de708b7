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
};

struct RequestError {
  RequestErrorKind kind;
  std::string message;
};

// "bad-request", "unknown-member", "bad-arity", "type-mismatch",
// "not-a-property", "not-a-method".
const char* RequestErrorCode(RequestErrorKind kind);

}  // namespace quill::host
