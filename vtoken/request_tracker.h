// Counts the requests a server has in work (read, not yet answered), so that
// a request arriving while another one is in work can be told apart.
#pragma once

#include <atomic>

namespace quill {

class RequestTracker {
 public:
  // Marks a request as in work; true when another one already was.
  bool Begin() { return inWork_.fetch_add(1) > 0; }
  void End() { inWork_.fetch_sub(1); }

 private:
  std::atomic<int> inWork_{0};
};

}  // namespace quill
