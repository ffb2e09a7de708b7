// The in-process lock of the library's process-wide state (error store,
// device tables, binding, frame key) and of everything built on it, such as
// the control's session. Every public operation of token.h holds it for its
// whole run, and so does every member of the control, so that threads of
// one process take turns. It is recursive: operations call each other
// (TokenFind asks each token for its UID, a member runs several operations).
// The system-wide lock between processes (ExchangeLockPort) is a separate
// thing and is taken inside, around each exchange.
#pragma once

namespace quill {

class LibraryLock {
 public:
  LibraryLock();
  ~LibraryLock();
  LibraryLock(const LibraryLock&) = delete;
  LibraryLock& operator=(const LibraryLock&) = delete;
};

}  // namespace quill
