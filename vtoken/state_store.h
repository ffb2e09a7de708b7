// The state file of a set of tokens: loaded once, rewritten as a whole after
// every change of any token's stored state. Safe to use from any thread.
//
// One store at a time may use a file: Open takes an exclusive lock on FILE.lock
// beside it and keeps it until the store is destroyed, so that a second user
// (another process, or another store in this one) is refused instead of
// silently overwriting the first one's changes.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "state_file.h"
#include "token_state.h"

namespace quill {

class StateStore {
 public:
  StateStore() = default;
  StateStore(const StateStore&) = delete;
  StateStore& operator=(const StateStore&) = delete;
  ~StateStore();

  // Locks and reads path; a missing file gives no entries. False with a
  // message that names the file (and the line, for a file that does not
  // parse or whose checksum does not match, or the lock when another user
  // holds it); the store is then left as it was.
  bool Open(const std::string& path, std::string* error);
  // Reads the file of the last Open again.
  bool Reload(std::string* error);
  bool IsOpen() const;
  std::string Path() const;

  std::optional<StoredTokenState> Entry(int id) const;
  // Keeps the token's state and rewrites the file; entries of ids that no
  // token uses stay as they were read.
  bool Save(int id, const StoredTokenState& state, std::string* error);
  // Rewrites the file with the entries as they are (creates a missing one).
  bool Write(std::string* error);

 private:
  bool Load(const std::string& path, std::string* error);
  bool WriteLocked(std::string* error);

  mutable std::mutex mutex_;
  std::string path_;
  int lockFd_ = -1;  // the lock on path_ + ".lock"; -1 while no file is open
  StoredStates entries_;
};

}  // namespace quill
