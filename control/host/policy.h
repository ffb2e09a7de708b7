// The machine's origin policy: which web origins an administrator allows
// and forbids. Forbidden patterns win over allowed ones; an origin in
// neither list is left to the user's consent.
#pragma once

#include <string>
#include <vector>

#include "origin.h"

namespace quill::host {

enum class PolicyDecision { kAllow, kForbid, kAsk };

// "allow", "forbid", "ask": the answer to a policy query.
const char* PolicyDecisionName(PolicyDecision decision);

struct OriginPolicy {
  std::vector<OriginPattern> allowed;
  std::vector<OriginPattern> forbidden;
};

PolicyDecision DecideOrigin(const OriginPolicy& policy, const WebOrigin& origin);

// The policy from its two lists of patterns; false, with the first
// malformed pattern named in problem, when any pattern is malformed.
bool PolicyFromPatterns(const std::vector<std::string>& allowed,
                        const std::vector<std::string>& forbidden, OriginPolicy* policy,
                        std::string* problem);

// The policy file's form: {"allowedOrigins": [PATTERN...],
// "forbiddenOrigins": [PATTERN...]}, both lists optional. Anything else (not
// JSON, another key, a key twice, a list that is not an array of strings, a
// malformed pattern) is refused with the reason in problem, so that a typing
// mistake never silently drops a forbidden origin.
bool ParsePolicyJson(const std::string& text, OriginPolicy* policy, std::string* problem);

}  // namespace quill::host
