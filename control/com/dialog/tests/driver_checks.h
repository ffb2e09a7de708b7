// The driver's tally of checks, shared by the thread that runs the dialog
// and the thread that plays the user. Output is ASCII, one line per check.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace quill::dialog_driver {

class Checks {
 public:
  // Notes one check; returns it so that callers can stop early.
  bool Expect(bool passed, const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::printf("%s: %s\n", passed ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    passed ? ++passed_ : ++failed_;
    return passed;
  }
  void Note(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::printf("-- %s\n", line.c_str());
    std::fflush(stdout);
  }
  int Passed() const { return passed_; }
  int Failed() const { return failed_; }

 private:
  std::mutex mutex_;
  int passed_ = 0;
  int failed_ = 0;
};

}  // namespace quill::dialog_driver
