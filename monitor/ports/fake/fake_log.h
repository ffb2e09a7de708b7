// A diagnostic log for tests that keeps its lines (without time stamps).
#pragma once

#include <string>
#include <vector>

#include "ports/monitor_ports.h"

namespace quill::fake {

class FakeLog : public DiagnosticLogPort {
 public:
  bool Enabled() override { return enabled; }
  void Line(const std::string& text) override {
    if (enabled) lines.push_back(text);
  }
  // Whether some line equals text.
  bool Has(const std::string& text) const;

  bool enabled = true;
  std::vector<std::string> lines;
};

}  // namespace quill::fake
