// The host's origin check, origin patterns and the policy file form on any
// text. An accepted origin prints exactly as it was written (only canonical
// origins are accepted), matches itself as a pattern and "*", and decides
// the same under a policy that lists it either way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "origin.h"
#include "policy.h"

namespace {

using quill::host::OriginPattern;
using quill::host::PolicyDecision;
using quill::host::WebOrigin;

void Check(bool condition) {
  if (!condition) std::abort();
}

void Origin(const std::string& text) {
  const std::optional<WebOrigin> origin = quill::host::ParseOrigin(text);
  const std::optional<OriginPattern> pattern = quill::host::ParseOriginPattern(text);
  if (!origin) {
    Check(!pattern || pattern->kind != OriginPattern::Kind::kExact);
    return;
  }
  Check(origin->ToString() == text);
  Check(pattern && pattern->kind == OriginPattern::Kind::kExact);
  Check(quill::host::PatternMatches(*pattern, *origin));

  quill::host::OriginPolicy policy;
  std::string problem;
  Check(quill::host::PolicyFromPatterns({text}, {}, &policy, &problem));
  Check(quill::host::DecideOrigin(policy, *origin) == PolicyDecision::kAllow);
  Check(quill::host::PolicyFromPatterns({"*"}, {text}, &policy, &problem));
  Check(quill::host::DecideOrigin(policy, *origin) == PolicyDecision::kForbid);

  // A wildcard over the origin's own domain covers its subdomains only.
  if (origin->hostKind == quill::host::OriginHostKind::kDomain) {
    const std::optional<OriginPattern> below =
        quill::host::ParseOriginPattern(origin->scheme + "://*." + origin->host +
                                        (origin->port ? ":" + std::to_string(origin->port) : ""));
    Check(below && !quill::host::PatternMatches(*below, *origin));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] == 'P') {
    quill::host::OriginPolicy policy;
    std::string problem;
    if (!quill::host::ParsePolicyJson(text, &policy, &problem)) Check(!problem.empty());
  } else {
    Origin(std::string(reinterpret_cast<const char*>(data), size));
  }
  return 0;
}
