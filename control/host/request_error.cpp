#include "request_error.h"

namespace quill::host {

const char* RequestErrorCode(RequestErrorKind kind) {
  switch (kind) {
    case RequestErrorKind::kBadRequest:
      return "bad-request";
    case RequestErrorKind::kUnknownMember:
      return "unknown-member";
    case RequestErrorKind::kBadArity:
      return "bad-arity";
    case RequestErrorKind::kTypeMismatch:
      return "type-mismatch";
    case RequestErrorKind::kNotAProperty:
      return "not-a-property";
    case RequestErrorKind::kNotAMethod:
      return "not-a-method";
    case RequestErrorKind::kBadOrigin:
      return "bad-origin";
    case RequestErrorKind::kOriginForbidden:
      return "origin-forbidden";
    case RequestErrorKind::kOriginMismatch:
      return "origin-mismatch";
    case RequestErrorKind::kPolicyUnreadable:
      return "policy-unreadable";
  }
  return "bad-request";
}

}  // namespace quill::host
