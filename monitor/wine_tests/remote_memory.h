// A block of memory in another process, for control messages whose
// parameters are pointers the system does not carry across processes
// (list view and tab control messages).
#pragma once

#include <windows.h>

#include <cstddef>

namespace quill::monitor_driver {

class RemoteMemory {
 public:
  // Opens the process that owns the window and reserves size bytes there.
  RemoteMemory(HWND window, size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool Ready() const { return address_ != nullptr; }
  void* Address() const { return address_; }
  bool Write(size_t offset, const void* data, size_t size);
  bool Read(size_t offset, void* data, size_t size);

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_ = 0;
};

}  // namespace quill::monitor_driver
