// The askpass program on Linux: fork and exec with standard output piped, a
// bounded wait, and a child that ends with the host.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "askpass.h"

namespace quill::host {
namespace {

const char* ProgramName() {
  const char* program = std::getenv("QUILL_ASKPASS");
  return program && *program ? program : nullptr;
}

int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Reads the pipe to its end or to the deadline, keeping at most
// kMaxAskpassOutput bytes; false when the deadline came first.
bool ReadUntil(int fd, int64_t deadlineMs, std::string* out) {
  char buffer[512];
  for (;;) {
    const int64_t left = deadlineMs - NowMs();
    if (left <= 0) return false;
    pollfd waiting{fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(std::min<int64_t>(left, 60000)));
    if (ready < 0 && errno != EINTR) return true;  // nothing more can be read
    if (ready <= 0) continue;
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return true;
    const size_t room = kMaxAskpassOutput - std::min(out->size(), kMaxAskpassOutput);
    out->append(buffer, std::min(static_cast<size_t>(got), room));
  }
}

// The exit status, or -1 when the child did not end normally (or by the
// deadline, when it is killed with its process group).
int WaitFor(pid_t child, int64_t deadlineMs, bool* timedOut) {
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0 && errno != EINTR) return -1;
    if (NowMs() >= deadlineMs) break;
    usleep(10000);
  }
  *timedOut = true;
  kill(-child, SIGKILL);
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return -1;
}

// In the child, between fork and exec: only async-signal-safe calls. Reports
// errno on the error pipe when the program cannot be started.
[[noreturn]] void RunChild(const char* program, char* const argv[], int output, int errorPipe,
                           pid_t host) {
  // Its own process group, so that a timeout ends whatever it started; and
  // SIGTERM when the host ends, even by SIGKILL.
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != host) _exit(127);  // the host ended before the line above
  const int input = open("/dev/null", O_RDONLY);
  if (input < 0 || dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0) {
    const int reason = errno;
    (void)!write(errorPipe, &reason, sizeof reason);
    _exit(127);
  }
  // The host ignores SIGPIPE and may block signals; the program gets the defaults.
  signal(SIGPIPE, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execvp(program, argv);
  const int reason = errno;
  (void)!write(errorPipe, &reason, sizeof reason);
  _exit(127);
}

}  // namespace

bool EnvironmentAskpass::Configured() {
  return ProgramName() != nullptr;
}

AskpassStatus EnvironmentAskpass::Ask(const std::string& prompt, std::string* typed) {
  typed->clear();
  const char* program = ProgramName();
  if (!program) return AskpassStatus::kNotStarted;
  const int64_t deadlineMs = NowMs() + int64_t{1000} * AskpassTimeoutSeconds();

  // Every descriptor of the host is closed on exec (replies included) but
  // the ones the program is given.
  int outputPipe[2];
  int errorPipe[2];
  if (pipe2(outputPipe, O_CLOEXEC) != 0) return AskpassStatus::kNotStarted;
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    close(outputPipe[0]);
    close(outputPipe[1]);
    return AskpassStatus::kNotStarted;
  }
  char* argv[] = {const_cast<char*>(program), const_cast<char*>(prompt.c_str()), nullptr};
  const pid_t host = getpid();
  const pid_t child = fork();
  if (child == 0) RunChild(program, argv, outputPipe[1], errorPipe[1], host);
  close(outputPipe[1]);
  close(errorPipe[1]);
  if (child < 0) {
    close(outputPipe[0]);
    close(errorPipe[0]);
    return AskpassStatus::kNotStarted;
  }
  setpgid(child, child);  // also from here, so that a kill at once reaches the group

  // The error pipe closes on a successful exec, or carries the reason.
  int reason = 0;
  ssize_t got;
  while ((got = read(errorPipe[0], &reason, sizeof reason)) < 0 && errno == EINTR) {
  }
  close(errorPipe[0]);
  if (got == static_cast<ssize_t>(sizeof reason)) {
    close(outputPipe[0]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return AskpassStatus::kNotStarted;
  }

  ReadUntil(outputPipe[0], deadlineMs, typed);
  close(outputPipe[0]);
  bool timedOut = false;
  const int status = WaitFor(child, deadlineMs, &timedOut);
  if (timedOut) {
    typed->clear();
    return AskpassStatus::kTimedOut;
  }
  if (status != 0) {
    typed->clear();
    return AskpassStatus::kCancelled;
  }
  return AskpassStatus::kTyped;
}

}  // namespace quill::host
