// A small check collector for programs that run under Wine: each failed
// expectation is printed with its name; the program's exit status is the
// number of failures, and a closing line tells that it ran to its end.
#pragma once

#include <cstdio>
#include <string>

namespace quill {

class Checks {
 public:
  void Group(const char* name) { std::printf("== %s\n", name); }
  void Expect(bool condition, const std::string& what) {
    ++count_;
    if (condition) return;
    ++failures_;
    std::printf("FAIL: %s\n", what.c_str());
  }
  int Finish(const char* sentinel) {
    std::printf("%d checks, %d failed\n", count_, failures_);
    if (failures_ == 0) std::printf("%s\n", sentinel);
    std::fflush(stdout);
    return failures_;
  }

 private:
  int count_ = 0;
  int failures_ = 0;
};

}  // namespace quill
