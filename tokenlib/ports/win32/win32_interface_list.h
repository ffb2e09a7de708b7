// One device interface class as listed by the device-setup services, walked
// by member index.
#pragma once

// setupapi.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <memory>
#include <string>

#include "platform.h"

namespace quill {

// The device-setup functions a list calls: the HID list uses the ones bound at
// run time, the storage list the ones linked into the program.
struct SetupDiFunctions {
  decltype(&SetupDiGetClassDevsA) getClassDevs = nullptr;
  decltype(&SetupDiEnumDeviceInterfaces) enumInterfaces = nullptr;
  decltype(&SetupDiGetDeviceInterfaceDetailA) getInterfaceDetail = nullptr;
  decltype(&SetupDiDestroyDeviceInfoList) destroyList = nullptr;
};

// The linked device-setup functions.
SetupDiFunctions LinkedSetupDiFunctions();

class Win32InterfaceList : public InterfaceListPort {
 public:
  // The present interfaces of interfaceClass; nullptr when the list cannot be
  // obtained (the last-error value says why).
  static std::unique_ptr<InterfaceListPort> Open(const SetupDiFunctions& functions,
                                                 const GUID& interfaceClass);
  ~Win32InterfaceList() override;
  Win32InterfaceList(const Win32InterfaceList&) = delete;
  Win32InterfaceList& operator=(const Win32InterfaceList&) = delete;

  bool Enumerate(uint32_t index) override;
  bool Detail(uint32_t index, std::string* path) override;

 private:
  Win32InterfaceList(const SetupDiFunctions& functions, HDEVINFO list, const GUID& interfaceClass);
  bool Member(uint32_t index, SP_DEVICE_INTERFACE_DATA* member);

  SetupDiFunctions functions_;
  HDEVINFO list_;
  GUID interfaceClass_;
};

}  // namespace quill
