// The password prompt of the host's login dialog: a program in the manner of
// SSH_ASKPASS, named by QUILL_ASKPASS. It is started once per attempt with
// the prompt as its one argument, prints the typed password on standard
// output (the first line counts) and exits with 0; any other exit status
// means the user cancelled. A program that has not answered within the
// askpass timeout is ended, which counts as a cancel too.
#pragma once

#include <cstddef>
#include <string>

namespace quill::host {

constexpr size_t kMaxAskpassOutput = 4096;

// How long one run of the program may take: QUILL_ASKPASS_TIMEOUT seconds
// (1 to 86400), or kDefaultAskpassTimeoutSeconds when unset or malformed.
constexpr int kDefaultAskpassTimeoutSeconds = 300;
int AskpassTimeoutSeconds();

enum class AskpassStatus {
  kTyped,       // the program printed a password and exited with 0
  kCancelled,   // it exited with another status
  kNotStarted,  // it could not be started
  kTimedOut,    // it did not answer within the timeout and was ended
};

class AskpassPort {
 public:
  virtual ~AskpassPort() = default;
  // False when no program is named: the dialog cannot be shown.
  virtual bool Configured() = 0;
  // prompt is UTF-8; typed receives what the program printed (at most
  // kMaxAskpassOutput bytes are kept).
  virtual AskpassStatus Ask(const std::string& prompt, std::string* typed) = 0;
};

// The program named by the QUILL_ASKPASS environment variable (unset or
// empty: not configured), run as a child process with standard input on the
// null device, standard output piped to us and standard error shared. The
// child does not outlive the host: on Linux it gets SIGTERM when the host
// ends (however it ends), on Windows it runs in a job that is closed with
// the host. On the timeout, the child (on Linux its whole process group) is
// killed.
class EnvironmentAskpass : public AskpassPort {
 public:
  bool Configured() override;
  AskpassStatus Ask(const std::string& prompt, std::string* typed) override;
};

// The first line of what the program printed: up to the first line feed,
// without a carriage return before it.
std::string FirstLine(const std::string& output);

}  // namespace quill::host
