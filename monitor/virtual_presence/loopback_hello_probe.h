// The endpoint probe over the token library's loopback connections: connect
// with a short timeout, read the hello line, close.
#pragma once

#include <cstdint>

#include "presence_ports.h"

namespace quill {

class LoopbackHelloProbe : public EndpointProbe {
 public:
  // Both waits in milliseconds; the defaults keep one poll of a handful of
  // endpoints well under the watcher's interval.
  explicit LoopbackHelloProbe(uint32_t connectMs = 200, uint32_t helloMs = 300)
      : connectMs_(connectMs), helloMs_(helloMs) {}

  ProbeOutcome Probe(const LoopbackEndpoint& endpoint, std::string* helloLine) override;

 private:
  uint32_t connectMs_;
  uint32_t helloMs_;
};

}  // namespace quill
