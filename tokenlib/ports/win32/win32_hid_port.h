// HID devices through hid.dll and the device-setup library, both loaded from
// the system directory at binding. Reports travel by overlapped file writes
// and reads on one event and one overlapped record shared by the process.
#pragma once

#include <memory>
#include <string>

#include "platform.h"

namespace quill {

class Win32HidPort : public HidPort {
 public:
  Win32HidPort();
  ~Win32HidPort() override;
  Win32HidPort(const Win32HidPort&) = delete;
  Win32HidPort& operator=(const Win32HidPort&) = delete;

  BindStatus Bind() override;
  void Unbind() override;
  std::unique_ptr<InterfaceListPort> ListInterfaces() override;
  std::unique_ptr<HidDevicePort> Open(const std::string& path) override;

  // The loaded libraries, their functions and the shared I/O record.
  struct Binding;

 private:
  std::unique_ptr<Binding> binding_;
};

}  // namespace quill
