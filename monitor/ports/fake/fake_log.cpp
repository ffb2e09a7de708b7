#include "fake_log.h"

#include <algorithm>

namespace quill::fake {

bool FakeLog::Has(const std::string& text) const {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

}  // namespace quill::fake
