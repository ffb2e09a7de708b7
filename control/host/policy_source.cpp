#include "policy_source.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace quill::host {
namespace {

constexpr std::uintmax_t kLargestPolicyFile = 1024 * 1024;

PolicyReading Unusable(const std::string& path, const std::string& why) {
  PolicyReading reading;
  reading.usable = false;
  reading.problem = "the policy file " + path + " " + why;
  return reading;
}

}  // namespace

PolicyReading ReadPolicyFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    // A link whose target is gone is a policy that cannot be read, not a
    // missing one: it may have been meant to forbid something.
    std::error_code linkError;
    if (fs::is_symlink(fs::symlink_status(path, linkError))) {
      return Unusable(path, "is a link to a file that does not exist");
    }
    return PolicyReading();
  }
  if (error) return Unusable(path, "cannot be examined: " + error.message());
  if (status.type() != fs::file_type::regular) return Unusable(path, "is not a regular file");
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) return Unusable(path, "cannot be examined: " + error.message());
  if (size > kLargestPolicyFile) return Unusable(path, "is larger than 1 MiB");

  std::ifstream file(path, std::ios::binary);
  if (!file) return Unusable(path, "cannot be opened");
  // Read in pieces and stop past the limit: a file that grew after its size
  // was checked is refused, not read whole.
  std::string text;
  char piece[4096];
  while (file.read(piece, sizeof piece) || file.gcount() > 0) {
    text.append(piece, static_cast<size_t>(file.gcount()));
    if (text.size() > kLargestPolicyFile) return Unusable(path, "is larger than 1 MiB");
  }
  if (file.bad()) return Unusable(path, "cannot be read");

  PolicyReading reading;
  std::string problem;
  if (!ParsePolicyJson(text, &reading.policy, &problem)) {
    return Unusable(path, "is malformed: " + problem);
  }
  return reading;
}

}  // namespace quill::host
