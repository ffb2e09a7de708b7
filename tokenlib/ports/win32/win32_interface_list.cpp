#include "win32_interface_list.h"

#include <cstddef>
#include <cstring>

namespace quill {
namespace {

// The detail record's buffer: the record's fixed part, then the path.
constexpr DWORD kDetailBufferSize = 1024;

// The record's fixed size is what the services check, and it differs between
// 32-bit (packed: 5) and 64-bit (8) programs.
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == (sizeof(void*) == 8 ? 8 : 5),
              "unexpected SP_DEVICE_INTERFACE_DETAIL_DATA_A layout");

}  // namespace

SetupDiFunctions LinkedSetupDiFunctions() {
  SetupDiFunctions functions;
  functions.getClassDevs = &SetupDiGetClassDevsA;
  functions.enumInterfaces = &SetupDiEnumDeviceInterfaces;
  functions.getInterfaceDetail = &SetupDiGetDeviceInterfaceDetailA;
  functions.destroyList = &SetupDiDestroyDeviceInfoList;
  return functions;
}

std::unique_ptr<InterfaceListPort> Win32InterfaceList::Open(const SetupDiFunctions& functions,
                                                            const GUID& interfaceClass) {
  HDEVINFO list = functions.getClassDevs(&interfaceClass, nullptr, nullptr,
                                         DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (list == INVALID_HANDLE_VALUE) return nullptr;
  return std::unique_ptr<InterfaceListPort>(
      new Win32InterfaceList(functions, list, interfaceClass));
}

Win32InterfaceList::Win32InterfaceList(const SetupDiFunctions& functions, HDEVINFO list,
                                       const GUID& interfaceClass)
    : functions_(functions), list_(list), interfaceClass_(interfaceClass) {}

Win32InterfaceList::~Win32InterfaceList() {
  const DWORD lastError = GetLastError();
  functions_.destroyList(list_);
  SetLastError(lastError);
}

bool Win32InterfaceList::Member(uint32_t index, SP_DEVICE_INTERFACE_DATA* member) {
  std::memset(member, 0, sizeof(*member));
  member->cbSize = sizeof(*member);
  return functions_.enumInterfaces(list_, nullptr, &interfaceClass_, index, member) != FALSE;
}

bool Win32InterfaceList::Enumerate(uint32_t index) {
  SP_DEVICE_INTERFACE_DATA member;
  return Member(index, &member);
}

bool Win32InterfaceList::Detail(uint32_t index, std::string* path) {
  SP_DEVICE_INTERFACE_DATA member;
  if (!Member(index, &member)) return false;
  alignas(SP_DEVICE_INTERFACE_DETAIL_DATA_A) unsigned char buffer[kDetailBufferSize] = {};
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer);
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!functions_.getInterfaceDetail(list_, &member, detail, kDetailBufferSize, nullptr, nullptr)) {
    return false;
  }
  // The path ends at its terminator, or at the end of the buffer at the latest.
  const size_t pathCapacity =
      kDetailBufferSize - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
  path->assign(detail->DevicePath, strnlen(detail->DevicePath, pathCapacity));
  return true;
}

}  // namespace quill
