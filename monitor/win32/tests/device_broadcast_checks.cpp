// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <cstddef>
#include <cstring>
#include <vector>

#include "device_broadcast.h"
#include "monitor_constants.h"
#include "shell_checks.h"

namespace quill {
namespace {

constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

// An interface record in a buffer with room to spare after it; the spare
// room is filled with 'Z' so that a read past the record shows.
std::vector<unsigned char> InterfaceRecord(const std::u16string& name, bool terminated,
                                           size_t spareCharacters) {
  const size_t units = name.size() + (terminated ? 1 : 0);
  const size_t size = kNameOffset + units * sizeof(wchar_t);
  std::vector<unsigned char> buffer(size + spareCharacters * sizeof(wchar_t), 0);
  auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buffer.data());
  record->dbcc_size = static_cast<DWORD>(size);
  record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  std::memcpy(buffer.data() + kNameOffset, name.data(), name.size() * sizeof(char16_t));
  for (size_t i = 0; i < spareCharacters; ++i) {
    const char16_t z = u'Z';
    std::memcpy(buffer.data() + size + i * sizeof(char16_t), &z, sizeof(z));
  }
  return buffer;
}

LPARAM Pointer(std::vector<unsigned char>& buffer) {
  return reinterpret_cast<LPARAM>(buffer.data());
}

}  // namespace

void RunDeviceBroadcastChecks(Checks& checks) {
  checks.Group("device records");
  DeviceRecord record;
  checks.Expect(!ReadDeviceBroadcast(0, &record), "no record: the logic gets none");

  const std::u16string path =
      u"\\\\?\\USB#VID_04B4&PID_B328#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  std::vector<unsigned char> terminated = InterfaceRecord(path, true, 8);
  checks.Expect(ReadDeviceBroadcast(Pointer(terminated), &record) &&
                    record.deviceType == kDbtDevTypDeviceInterface && record.name == path,
                "an interface record gives its type and its path");

  std::vector<unsigned char> unterminated = InterfaceRecord(u"\\\\?\\usb#vid_04b4&pid_b", false, 8);
  checks.Expect(ReadDeviceBroadcast(Pointer(unterminated), &record) &&
                    record.name == u"\\\\?\\usb#vid_04b4&pid_b",
                "a path without terminator ends with its record, nothing after it is read");

  std::vector<unsigned char> early = InterfaceRecord(std::u16string(u"AB\0CD", 5), true, 0);
  checks.Expect(ReadDeviceBroadcast(Pointer(early), &record) && record.name == u"AB",
                "the path ends at its first terminator");

  std::vector<unsigned char> nameless = InterfaceRecord(u"", false, 4);
  checks.Expect(ReadDeviceBroadcast(Pointer(nameless), &record) &&
                    record.deviceType == kDbtDevTypDeviceInterface && record.name.empty(),
                "a record that ends where the name begins has no path");

  std::vector<unsigned char> odd = InterfaceRecord(u"AB", false, 4);
  reinterpret_cast<DEV_BROADCAST_HDR*>(odd.data())->dbch_size -= 1;
  checks.Expect(ReadDeviceBroadcast(Pointer(odd), &record) && record.name == u"A",
                "half a character at the record's end is not read");

  std::vector<unsigned char> volume(sizeof(DEV_BROADCAST_VOLUME), 0);
  auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(volume.data());
  header->dbch_size = sizeof(DEV_BROADCAST_VOLUME);
  header->dbch_devicetype = DBT_DEVTYP_VOLUME;
  record.name = u"stale";
  checks.Expect(ReadDeviceBroadcast(Pointer(volume), &record) &&
                    record.deviceType == DBT_DEVTYP_VOLUME && record.name.empty(),
                "another record type is passed on without a path");

  std::vector<unsigned char> shortRecord =
      InterfaceRecord(u"\\\\?\\USB#VID_04B4&PID_B328", true, 0);
  reinterpret_cast<DEV_BROADCAST_HDR*>(shortRecord.data())->dbch_size = 8;
  checks.Expect(ReadDeviceBroadcast(Pointer(shortRecord), &record) && record.deviceType == 0 &&
                    record.name.empty(),
                "a record shorter than its header tells nothing");
}

}  // namespace quill
