#include "askpass.h"

namespace quill::host {

std::string FirstLine(const std::string& output) {
  std::string line = output.substr(0, output.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace quill::host
