// The machine policy on Linux: /etc/quill/policy.json, or the file named by
// QUILL_POLICY_FILE.
#include <stdlib.h>

#include "policy_source.h"

namespace quill::host {
namespace {

constexpr char kDefaultPolicyFile[] = "/etc/quill/policy.json";

class PolicyFileSource : public PolicySource {
 public:
  PolicyReading Read() override {
    const char* named = getenv("QUILL_POLICY_FILE");
    return ReadPolicyFile(named && *named ? named : kDefaultPolicyFile);
  }
};

}  // namespace

std::unique_ptr<PolicySource> MachinePolicySource() {
  return std::make_unique<PolicyFileSource>();
}

}  // namespace quill::host
