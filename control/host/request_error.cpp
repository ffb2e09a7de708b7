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
  }
  return "bad-request";
}

}  // namespace quill::host
