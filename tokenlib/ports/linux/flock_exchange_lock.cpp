#include "flock_exchange_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "linux_system.h"

namespace quill {
namespace {

constexpr mode_t kEveryoneReadWrite = 0666;
constexpr char kSystemWideLockName[] = "Global\\cf95b67d-8de0-4296-aba1-d1183c304098";
constexpr uint32_t kPollIntervalMs = 1;

// Opens path with flags, retrying when a signal interrupts the call.
int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = open(path, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// The umask narrows the mode given at creation; widen it again when the file
// is ours so that other accounts can open it later.
void LetEveryoneOpen(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0 || info.st_uid != geteuid()) return;
  if ((info.st_mode & 0777) != kEveryoneReadWrite) fchmod(fd, kEveryoneReadWrite);
}

}  // namespace

FlockExchangeLock::FlockExchangeLock(std::string lockPath) : path_(std::move(lockPath)) {}

FlockExchangeLock::~FlockExchangeLock() {
  if (fd_ >= 0) close(fd_);
}

int FlockExchangeLock::OpenLockFile() const {
  // No symlinks: the file lives in a directory everyone can write to.
  const int common = O_CLOEXEC | O_NOFOLLOW;
  int fd = OpenRetrying(path_.c_str(), O_RDWR | O_CREAT | common, kEveryoneReadWrite);
  if (fd >= 0) {
    LetEveryoneOpen(fd);
    return fd;
  }
  // Another account's file: creation may be refused (protected_regular), or
  // the file may not be writable for us. flock works on any open file.
  fd = OpenRetrying(path_.c_str(), O_RDWR | common);
  if (fd >= 0) return fd;
  return OpenRetrying(path_.c_str(), O_RDONLY | common);
}

bool FlockExchangeLock::Create() {
  if (fd_ >= 0) return true;
  fd_ = OpenLockFile();
  return fd_ >= 0;
}

bool FlockExchangeLock::Wait(uint32_t timeoutMs) {
  if (fd_ < 0) return false;
  const uint64_t deadline = MonotonicUs() + uint64_t{timeoutMs} * 1000;
  LinuxClock clock;
  for (;;) {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (MonotonicUs() >= deadline) return false;
    clock.SleepMs(kPollIntervalMs);
  }
}

void FlockExchangeLock::Release() {
  if (fd_ >= 0) flock(fd_, LOCK_UN);
}

std::string DefaultExchangeLockPath() {
  std::string name = kSystemWideLockName;
  for (char& c : name) {
    if (c == '\\' || c == '/') c = '-';
  }
  return "/tmp/" + name + ".lock";
}

}  // namespace quill
