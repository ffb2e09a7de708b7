// Checks the Windows ports against the real API, under Wine or on Windows:
// no token is needed. Wine offers two HID devices of its own and no CD-ROM
// drive; the checks that need a HID device are skipped when there is none.
//
// Prints one line per failed check, then "failures=N" and, as its last line,
// "wine-port-check-done". Exit status 0 when every check passed.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "win32_exchange_lock.h"
#include "win32_hid_port.h"
#include "win32_storage_port.h"
#include "win32_system.h"

namespace quill {
namespace {

int failures = 0;

void Check(bool condition, const char* what, unsigned long detail = 0) {
  if (condition) return;
  ++failures;
  std::printf("FAILED: %s (%lu)\n", what, detail);
}

// Walks a list to its end; the number of members, or -1 when the walk did
// not end with the end-of-list error.
int CountMembers(InterfaceListPort& list, std::string* firstPath) {
  for (uint32_t index = 0; index < 256; ++index) {
    if (list.Enumerate(index)) {
      std::string path;
      if (list.Detail(index, &path) && firstPath->empty()) *firstPath = path;
      continue;
    }
    return GetLastError() == ERROR_NO_MORE_ITEMS ? static_cast<int>(index) : -1;
  }
  return -1;
}

void CheckSystem() {
  Win32OsError osError;
  osError.Set(kOsErrorDeviceNotConnected);
  Check(GetLastError() == kOsErrorDeviceNotConnected, "Set writes the thread's last error");
  SetLastError(kOsErrorTimeout);
  Check(osError.Get() == kOsErrorTimeout, "Get reads the thread's last error");

  Win32Clock clock;
  // 2020-01-01 as a file time; any machine running this is later.
  Check(clock.FileTimeNow() > 132223104000000000ULL, "file time is current");
  const uint64_t before = clock.FileTimeNow();
  clock.SleepMs(50);
  const uint64_t slept = clock.FileTimeNow() - before;
  Check(slept >= 400000 && slept < 50000000, "SleepMs(50) sleeps about 50 ms",
        static_cast<unsigned long>(slept / 10000));
}

void CheckHid() {
  Win32HidPort port;
  Check(port.ListInterfaces() == nullptr, "no list before binding");
  Check(port.Bind() == BindStatus::kBound, "binding hid.dll and SetupApi.dll");
  Check(port.Bind() == BindStatus::kBound, "binding again while bound");
  port.Unbind();
  Check(port.Open("\\\\?\\hid#none") == nullptr, "no device after unbinding");
  Check(port.Bind() == BindStatus::kBound, "binding after unbinding");

  std::unique_ptr<InterfaceListPort> list = port.ListInterfaces();
  Check(list != nullptr, "HID interface list", GetLastError());
  if (!list) return;
  std::string path;
  const int members = CountMembers(*list, &path);
  Check(members >= 0, "HID list ends with ERROR_NO_MORE_ITEMS");
  Check(port.Open("\\\\?\\hid#vid_0000&pid_0000#none") == nullptr, "opening a missing device");
  if (members <= 0 || path.empty()) {
    std::printf("no HID device: transfer checks skipped\n");
    return;
  }

  std::unique_ptr<HidDevicePort> device = port.Open(path);
  Check(device != nullptr, "opening the first HID device", GetLastError());
  if (!device) return;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  Check(device->GetAttributes(&vendorId, &productId), "reading HID attributes", GetLastError());

  // Nothing ever arrives from these devices: the read must run out, be
  // cancelled, and leave the shared record usable for the next request.
  for (int attempt = 0; attempt < 2; ++attempt) {
    uint8_t report[249] = {};
    size_t received = 99;
    const DWORD start = GetTickCount();
    const IoStatus status = device->Read(report, sizeof(report), 200, &received);
    const DWORD elapsed = GetTickCount() - start;
    Check(status == IoStatus::kTimeout, "a silent device's read times out",
          static_cast<unsigned long>(status));
    Check(GetLastError() == ERROR_TIMEOUT, "a timed-out read leaves ERROR_TIMEOUT", GetLastError());
    Check(received == 0, "a timed-out read reports no bytes");
    Check(elapsed >= 150 && elapsed < 3000, "the read waits about 200 ms", elapsed);
  }
}

void CheckStorage() {
  Win32StoragePort port;
  std::unique_ptr<InterfaceListPort> list = port.ListInterfaces();
  Check(list != nullptr, "CD-ROM interface list", GetLastError());
  if (list) {
    std::string path;
    Check(CountMembers(*list, &path) >= 0, "CD-ROM list ends with ERROR_NO_MORE_ITEMS");
  }
  Check(port.Open("\\\\?\\cdrom#none") == nullptr, "opening a missing device");

  // A plain file opens like a device but refuses the pass-through request.
  char directory[MAX_PATH];
  char file[MAX_PATH];
  if (GetTempPathA(MAX_PATH, directory) == 0 || GetTempFileNameA(directory, "qpc", 0, file) == 0) {
    Check(false, "temporary file", GetLastError());
    return;
  }
  {
    std::unique_ptr<StorageDevicePort> device = port.Open(file);
    Check(device != nullptr, "opening a plain file", GetLastError());
    if (device) {
      uint8_t frame[248] = {};
      const PassThroughStatus status =
          device->PassThrough(ScsiDirection::kDataOut, frame, sizeof(frame), 200);
      Check(status == PassThroughStatus::kRequestFailed, "a file refuses the request",
            static_cast<unsigned long>(status));
      Check(GetLastError() != ERROR_SUCCESS && GetLastError() != ERROR_IO_PENDING,
            "the refusal leaves its reason", GetLastError());
    }
  }
  DeleteFileA(file);
}

void CheckLock() {
  Win32ExchangeLock lock;
  Check(lock.Wait(0) == false, "no lock before Create");
  Check(lock.Create(), "creating the named mutex", GetLastError());
  Check(lock.Create(), "Create again keeps the mutex");
  Check(lock.Wait(500), "obtaining the free mutex");

  // Another holder (another thread here; another process in real use) waits.
  bool otherObtained = true;
  std::thread([&otherObtained] {
    Win32ExchangeLock other;
    otherObtained = other.Create() && other.Wait(100);
  }).join();
  Check(!otherObtained, "a held mutex keeps others out");

  lock.Release();

  // A holder that ends without releasing abandons the mutex: it still counts.
  std::thread([] {
    Win32ExchangeLock dying;
    if (dying.Create()) dying.Wait(500);
  }).join();
  Check(lock.Wait(500), "an abandoned mutex counts as obtained");
  lock.Release();

  // Releasing a mutex not held fails inside; the caller's last error stays.
  SetLastError(kOsErrorDeviceNotConnected);
  lock.Release();
  Check(GetLastError() == kOsErrorDeviceNotConnected, "Release keeps the last error",
        GetLastError());
}

}  // namespace
}  // namespace quill

int main() {
  quill::CheckSystem();
  quill::CheckHid();
  quill::CheckStorage();
  quill::CheckLock();
  std::printf("failures=%d\n", quill::failures);
  std::printf("wine-port-check-done\n");
  std::fflush(stdout);
  return quill::failures == 0 ? 0 : 1;
}
