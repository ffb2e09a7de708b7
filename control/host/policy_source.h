// Where the machine's origin policy comes from. The host asks its source
// again at every request that carries an origin, so that an administrator's
// change applies at once. One implementation per platform
// (policy_source_linux.cpp: a JSON file; policy_source_win32.cpp: the
// registry's policy keys); tests pass their own.
#pragma once

#include <memory>
#include <string>

#include "policy.h"

namespace quill::host {

struct PolicyReading {
  // False when the policy exists but cannot be used: every origin is then
  // refused (a policy that may forbid something is never skipped).
  bool usable = true;
  OriginPolicy policy;  // empty when there is no policy at all
  // When not usable: what could not be read and why, for the reply and for
  // the administrator ("the policy file /etc/quill/policy.json ...").
  std::string problem;
};

class PolicySource {
 public:
  virtual ~PolicySource() = default;
  virtual PolicyReading Read() = 0;
};

// The policy in a JSON file (the form of ParsePolicyJson). A file that does
// not exist is no policy; one that cannot be read, is not a regular file (a
// link to nothing included), is larger than 1 MiB or is malformed makes the
// reading unusable.
PolicyReading ReadPolicyFile(const std::string& path);

// The source of this machine (per platform).
std::unique_ptr<PolicySource> MachinePolicySource();

}  // namespace quill::host
