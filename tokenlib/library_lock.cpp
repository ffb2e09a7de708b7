#include "library_lock.h"

#include <mutex>

namespace quill {
namespace {

// Outlives every LibraryState: ResetLibrary replaces the state under it.
std::recursive_mutex& LibraryMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

}  // namespace

LibraryLock::LibraryLock() {
  LibraryMutex().lock();
}

LibraryLock::~LibraryLock() {
  LibraryMutex().unlock();
}

}  // namespace quill
