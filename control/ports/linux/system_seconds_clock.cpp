#include "ports/linux/system_seconds_clock.h"

#include <ctime>

namespace quill {

int64_t SystemSecondsClock::NowSeconds() {
  return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace quill
