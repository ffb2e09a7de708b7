#include "askpass.h"

#include <cstdlib>

namespace quill::host {

int AskpassTimeoutSeconds() {
  constexpr long kLongest = 86400;
  const char* text = std::getenv("QUILL_ASKPASS_TIMEOUT");
  if (text == nullptr || *text == '\0') return kDefaultAskpassTimeoutSeconds;
  char* end = nullptr;
  const long seconds = std::strtol(text, &end, 10);
  if (*end != '\0' || seconds < 1 || seconds > kLongest) return kDefaultAskpassTimeoutSeconds;
  return static_cast<int>(seconds);
}

std::string FirstLine(const std::string& output) {
  std::string line = output.substr(0, output.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace quill::host
