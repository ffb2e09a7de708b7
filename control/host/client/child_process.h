// A child process whose standard input and output are pipes to us (Linux):
// how the client, the host's tests and the benchmark run quill-host.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace quill::host {

enum class PipeStatus { kDone, kEnd, kTimeout };

class ChildProcess {
 public:
  struct Options {
    std::vector<std::string> arguments;    // after the program's own name
    std::vector<std::string> environment;  // "NAME=value" sets, "NAME" removes
    std::string errorFile;                 // the child's standard error; empty: ours
  };

  ChildProcess() = default;
  // Closes the pipes; a child still running is killed and reaped.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::string& program, const Options& options, std::string* error);

  // All of it, or false (the child closed its input, or died).
  bool Write(const void* data, size_t size);
  void CloseInput();

  // Exactly size bytes from the child's standard output. timeoutMs < 0
  // waits without limit.
  PipeStatus Read(void* data, size_t size, int timeoutMs);
  // Everything until the child's standard output ends.
  PipeStatus ReadToEnd(std::string* out, int timeoutMs);

  // The exit status; -1 after a signal; -2 when timeoutMs passed (the child
  // is then killed).
  int Wait(int timeoutMs);

  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int input_ = -1;       // the child's standard input
  int output_ = -1;      // the child's standard output
  std::string pending_;  // read from output_, not yet handed out
};

}  // namespace quill::host
