#include "state_store.h"

#include "durable_file.h"

namespace quill {

bool StateStore::Open(const std::string& path, std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!Load(path, error)) return false;
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
