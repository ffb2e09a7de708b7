// Recording message boxes for tests: each box's owner, text, caption and
// flags, answered from a queue (then a default answer).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeMessageBoxes : public MessageBoxPort {
 public:
  struct Shown {
    BoxOwner owner;
    std::u16string text;
    std::u16string caption;
    uint32_t flags;
  };

  int Show(BoxOwner owner, const std::u16string& text, const std::u16string& caption,
           uint32_t flags) override;

  std::deque<int> answers;    // used first, one per box
  int defaultAnswer = kIdOk;  // when the queue is empty
  std::vector<Shown> shown;
};

}  // namespace quill::fake
