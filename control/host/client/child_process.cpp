#include "child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace quill::host {
namespace {

using Clock = std::chrono::steady_clock;

std::string NameOf(const std::string& entry) {
  return entry.substr(0, entry.find('='));
}

// Our environment with the changes applied.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    bool changed = false;
    for (const std::string& change : changes) changed |= NameOf(change) == NameOf(*entry);
    if (!changed) result.push_back(*entry);
  }
  for (const std::string& change : changes) {
    if (change.find('=') != std::string::npos) result.push_back(change);
  }
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

int Remaining(Clock::time_point deadline, int timeoutMs) {
  if (timeoutMs < 0) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

void CloseFd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

}  // namespace

ChildProcess::~ChildProcess() {
  CloseFd(&input_);
  CloseFd(&output_);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool ChildProcess::Start(const std::string& program, const Options& options, std::string* error) {
  // A child that stops reading shows as a failed write, not as a signal.
  signal(SIGPIPE, SIG_IGN);
  int toChild[2];
  int fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    *error = std::strerror(errno);
    close(toChild[0]);
    close(toChild[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
  if (!options.errorFile.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
  std::vector<std::string> envp = ChildEnvironment(options.environment);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envPointers = Pointers(envp);
  const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argvPointers.data(),
                                  envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  close(toChild[0]);
  close(fromChild[1]);
  if (spawned != 0) {
    *error = program + ": " + std::strerror(spawned);
    pid_ = -1;
    close(toChild[1]);
    close(fromChild[0]);
    return false;
  }
  input_ = toChild[1];
  output_ = fromChild[0];
  return true;
}

bool ChildProcess::Write(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    if (input_ < 0) return false;
    const ssize_t written = write(input_, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

void ChildProcess::CloseInput() {
  CloseFd(&input_);
}

PipeStatus ChildProcess::Read(void* data, size_t size, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  char buffer[64 * 1024];
  while (pending_.size() < size) {
    if (output_ < 0) return PipeStatus::kEnd;
    // Without a time limit the read itself waits: one system call fewer.
    if (timeoutMs >= 0) {
      pollfd ready{output_, POLLIN, 0};
      const int polled = poll(&ready, 1, Remaining(deadline, timeoutMs));
      if (polled < 0 && errno == EINTR) continue;
      if (polled == 0) return PipeStatus::kTimeout;
    }
    const ssize_t got = read(output_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return PipeStatus::kEnd;
    pending_.append(buffer, static_cast<size_t>(got));
  }
  std::memcpy(data, pending_.data(), size);
  pending_.erase(0, size);
  return PipeStatus::kDone;
}

PipeStatus ChildProcess::ReadToEnd(std::string* out, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  out->append(pending_);
  pending_.clear();
  char buffer[4096];
  for (;;) {
    if (output_ < 0) return PipeStatus::kEnd;
    pollfd ready{output_, POLLIN, 0};
    const int polled = poll(&ready, 1, Remaining(deadline, timeoutMs));
    if (polled < 0 && errno == EINTR) continue;
    if (polled == 0) return PipeStatus::kTimeout;
    const ssize_t got = read(output_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return PipeStatus::kEnd;
    out->append(buffer, static_cast<size_t>(got));
  }
}

int ChildProcess::Wait(int timeoutMs) {
  if (pid_ <= 0) return -1;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, timeoutMs < 0 ? 0 : WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (done < 0 && errno != EINTR) return -1;
    if (timeoutMs >= 0 && Clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      return -2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace quill::host
