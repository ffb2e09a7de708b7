// The askpass program on Linux: posix_spawnp with standard output piped.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "askpass.h"

extern char** environ;

namespace quill::host {
namespace {

const char* ProgramName() {
  const char* program = std::getenv("QUILL_ASKPASS");
  return program && *program ? program : nullptr;
}

// Reads the pipe to its end, keeping at most kMaxAskpassOutput bytes.
void ReadAll(int fd, std::string* out) {
  char buffer[512];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    const size_t room = kMaxAskpassOutput - std::min(out->size(), kMaxAskpassOutput);
    out->append(buffer, std::min(static_cast<size_t>(got), room));
  }
}

int WaitFor(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool EnvironmentAskpass::Configured() {
  return ProgramName() != nullptr;
}

AskpassStatus EnvironmentAskpass::Ask(const std::string& prompt, std::string* typed) {
  typed->clear();
  const char* program = ProgramName();
  if (!program) return AskpassStatus::kNotStarted;

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return AskpassStatus::kNotStarted;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The host's standard input carries requests and its replies go to a
  // descriptor closed on exec: the program sees neither.
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);

  // The host ignores SIGPIPE; the program gets the default back.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  char* argv[] = {const_cast<char*>(program), const_cast<char*>(prompt.c_str()), nullptr};
  pid_t child = -1;
  const int spawned = posix_spawnp(&child, program, &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (spawned != 0) {
    close(pipeFds[0]);
    return AskpassStatus::kNotStarted;
  }
  ReadAll(pipeFds[0], typed);
  close(pipeFds[0]);
  // posix_spawnp reports a program that cannot be executed itself.
  if (WaitFor(child) != 0) {
    typed->clear();
    return AskpassStatus::kCancelled;
  }
  return AskpassStatus::kTyped;
}

}  // namespace quill::host
