#include "state_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "durable_file.h"

namespace quill {
namespace {

// An exclusive lock on path + ".lock" (created when missing); -1 with a
// message when another user holds it or the file cannot be opened.
int LockStateFile(const std::string& path, std::string* error) {
  const std::string lockPath = path + ".lock";
  const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error =
        "state file " + path + ": cannot open its lock " + lockPath + ": " + std::strerror(errno);
    return -1;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int reason = errno;
    close(fd);
    *error =
        reason == EWOULDBLOCK
            ? "state file " + path + " is in use by another virtual token program (it holds " +
                  lockPath + "); stop that one or give another --state file"
            : "state file " + path + ": cannot lock " + lockPath + ": " + std::strerror(reason);
    return -1;
  }
  return fd;
}

}  // namespace

StateStore::~StateStore() {
  if (lockFd_ >= 0) close(lockFd_);
}

bool StateStore::Open(const std::string& path, std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool sameFile = lockFd_ >= 0 && path == path_;
  const int lockFd = sameFile ? lockFd_ : LockStateFile(path, error);
  if (lockFd < 0) return false;
  if (!Load(path, error)) {
    if (!sameFile) close(lockFd);
    return false;
  }
  if (!sameFile && lockFd_ >= 0) close(lockFd_);
  lockFd_ = lockFd;
  path_ = path;
  return true;
}

bool StateStore::Reload(std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (path_.empty()) {
    *error = "no state file is open";
    return false;
  }
  return Load(path_, error);
}

bool StateStore::Load(const std::string& path, std::string* error) {
  std::string text;
  bool missing = false;
  std::string reason;
  if (!ReadWholeFile(path, &text, &missing, &reason)) {
    if (!missing) {
      *error = "state file " + path + ": " + reason;
      return false;
    }
    entries_.clear();
    return true;
  }
  StoredStates entries;
  StateFileError failure;
  if (!ParseStateFile(text, &entries, &failure)) {
    *error = "state file " + path + ", line " + std::to_string(failure.line) + ": " +
             failure.message + " (the file is left as it is)";
    return false;
  }
  entries_ = std::move(entries);
  return true;
}

bool StateStore::IsOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !path_.empty();
}

std::string StateStore::Path() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

std::optional<StoredTokenState> StateStore::Entry(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = entries_.find(id);
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

bool StateStore::Save(int id, const StoredTokenState& state, std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto previous = entries_.find(id);
  std::optional<StoredTokenState> before;
  if (previous != entries_.end()) before = previous->second;
  entries_[id] = state;
  if (WriteLocked(error)) return true;
  // The file still holds the earlier state; so does the store.
  if (before) {
    entries_[id] = *before;
  } else {
    entries_.erase(id);
  }
  return false;
}

bool StateStore::Write(std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  return WriteLocked(error);
}

bool StateStore::WriteLocked(std::string* error) {
  if (path_.empty()) {
    *error = "no state file is open";
    return false;
  }
  std::string reason;
  if (ReplaceFileDurably(path_, FormatStateFile(entries_), &reason)) return true;
  *error = "state file " + path_ + ": " + reason;
  return false;
}

}  // namespace quill
