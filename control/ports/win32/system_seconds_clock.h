// The system clock in whole seconds since 1970.
#pragma once

#include "control_ports.h"

namespace quill {

class SystemSecondsClock : public SecondsClockPort {
 public:
  int64_t NowSeconds() override;
};

}  // namespace quill
