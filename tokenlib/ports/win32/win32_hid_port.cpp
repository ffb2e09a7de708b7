#include "win32_hid_port.h"

#include <windows.h>

#include <cstring>
#include <iterator>

#include "win32_interface_list.h"
#include "win32_overlapped.h"

extern "C" {
#include <hidsdi.h>
}

namespace quill {

struct Win32HidPort::Binding {
  HMODULE hidLibrary = nullptr;
  HMODULE setupLibrary = nullptr;
  decltype(&HidD_GetHidGuid) getHidGuid = nullptr;
  decltype(&HidD_GetAttributes) getAttributes = nullptr;
  decltype(&HidD_FlushQueue) flushQueue = nullptr;
  decltype(&HidD_SetNumInputBuffers) setNumInputBuffers = nullptr;
  SetupDiFunctions setup;
  // Every HID write and read of the process waits on this one event and record.
  HANDLE ioEvent = nullptr;
  OVERLAPPED io{};
  bool bound = false;
};

namespace {

constexpr UINT kSystemDirectoryCapacity = MAX_PATH;  // 260
constexpr ULONG kInputReportBuffers = 128;

// Every one of these must be present for binding to succeed, although only
// four are called: reports travel through file writes and reads.
constexpr const char* kHidFunctionNames[] = {
    "HidD_GetPreparsedData", "HidD_GetFeature", "HidD_SetFeature",
    "HidD_GetAttributes",    "HidP_GetCaps",    "HidD_FreePreparsedData",
    "HidD_GetHidGuid",       "HidD_FlushQueue", "HidD_SetNumInputBuffers",
};
constexpr const char* kSetupFunctionNames[] = {
    "SetupDiGetClassDevsA",
    "SetupDiGetDeviceInterfaceDetailA",
    "SetupDiDestroyDeviceInfoList",
    "SetupDiEnumDeviceInterfaces",
};

bool AllPresent(HMODULE library, const char* const* names, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (GetProcAddress(library, names[i]) == nullptr) return false;
  }
  return true;
}

template <typename Function>
void Lookup(HMODULE library, const char* name, Function* function) {
  // Through the generic function pointer type, which converts to any other.
  *function =
      reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

void CloseBinding(Win32HidPort::Binding& binding) {
  if (binding.ioEvent != nullptr) CloseHandle(binding.ioEvent);
  if (binding.hidLibrary != nullptr) FreeLibrary(binding.hidLibrary);
  if (binding.setupLibrary != nullptr) FreeLibrary(binding.setupLibrary);
  binding = Win32HidPort::Binding();
}

// Asked of a port that is not bound: no library function can be reached.
void SetNotBound() {
  SetLastError(ERROR_INVALID_FUNCTION);
}

class Win32HidDevice : public HidDevicePort {
 public:
  Win32HidDevice(HANDLE device, Win32HidPort::Binding& binding)
      : device_(device), binding_(binding) {}
  ~Win32HidDevice() override { CloseHandle(device_); }
  Win32HidDevice(const Win32HidDevice&) = delete;
  Win32HidDevice& operator=(const Win32HidDevice&) = delete;

  bool GetAttributes(uint16_t* vendorId, uint16_t* productId) override {
    if (!binding_.bound) {
      SetNotBound();
      return false;
    }
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof(attributes);
    if (!binding_.getAttributes(device_, &attributes)) return false;
    *vendorId = attributes.VendorID;
    *productId = attributes.ProductID;
    return true;
  }

  bool FlushQueue() override {
    if (!binding_.bound) {
      SetNotBound();
      return false;
    }
    return binding_.flushQueue(device_) != FALSE;
  }

  IoStatus Write(const uint8_t* report, size_t length, uint32_t waitMs, size_t* written) override {
    *written = 0;
    if (!PrepareRecord(length)) return IoStatus::kFailed;
    const BOOL issued =
        WriteFile(device_, report, static_cast<DWORD>(length), nullptr, &binding_.io);
    return Finish(issued, waitMs, written);
  }

  IoStatus Read(uint8_t* report, size_t length, uint32_t waitMs, size_t* received) override {
    *received = 0;
    if (!PrepareRecord(length)) return IoStatus::kFailed;
    const BOOL issued =
        ReadFile(device_, report, static_cast<DWORD>(length), nullptr, &binding_.io);
    return Finish(issued, waitMs, received);
  }

 private:
  // Readies the shared record for a new request; false when none can be issued.
  bool PrepareRecord(size_t length) {
    if (!binding_.bound || binding_.ioEvent == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    if (length > MAXDWORD) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    std::memset(&binding_.io, 0, sizeof(binding_.io));
    binding_.io.hEvent = binding_.ioEvent;
    return true;
  }

  IoStatus Finish(BOOL issued, uint32_t waitMs, size_t* transferred) {
    DWORD count = 0;
    switch (FinishOverlapped(device_, &binding_.io, issued, waitMs, &count)) {
      case OverlappedOutcome::kDone:
        *transferred = count;
        return IoStatus::kOk;
      case OverlappedOutcome::kWaitTimeout:
        return IoStatus::kTimeout;
      case OverlappedOutcome::kWaitFailed:
      case OverlappedOutcome::kFailed:
        break;
    }
    return IoStatus::kFailed;
  }

  HANDLE device_;
  Win32HidPort::Binding& binding_;
};

}  // namespace

Win32HidPort::Win32HidPort() : binding_(new Binding()) {}

Win32HidPort::~Win32HidPort() {
  Unbind();
}

BindStatus Win32HidPort::Bind() {
  Binding& binding = *binding_;
  if (binding.bound) return BindStatus::kBound;
  CloseBinding(binding);  // what a failed attempt left behind

  char directory[kSystemDirectoryCapacity];
  const UINT length = GetSystemDirectoryA(directory, kSystemDirectoryCapacity);
  if (length == 0 || length >= kSystemDirectoryCapacity) return BindStatus::kNoSystemDirectory;
  const std::string systemDirectory(directory, length);

  binding.hidLibrary = LoadLibraryA((systemDirectory + "\\hid.dll").c_str());
  if (binding.hidLibrary == nullptr) return BindStatus::kHidLibraryMissing;
  binding.setupLibrary = LoadLibraryA((systemDirectory + "\\SetupApi.dll").c_str());
  if (binding.setupLibrary == nullptr) return BindStatus::kSetupLibraryMissing;

  if (!AllPresent(binding.hidLibrary, kHidFunctionNames, std::size(kHidFunctionNames))) {
    return BindStatus::kHidFunctionMissing;
  }
  if (!AllPresent(binding.setupLibrary, kSetupFunctionNames, std::size(kSetupFunctionNames))) {
    return BindStatus::kSetupFunctionMissing;
  }
  Lookup(binding.hidLibrary, "HidD_GetHidGuid", &binding.getHidGuid);
  Lookup(binding.hidLibrary, "HidD_GetAttributes", &binding.getAttributes);
  Lookup(binding.hidLibrary, "HidD_FlushQueue", &binding.flushQueue);
  Lookup(binding.hidLibrary, "HidD_SetNumInputBuffers", &binding.setNumInputBuffers);
  Lookup(binding.setupLibrary, "SetupDiGetClassDevsA", &binding.setup.getClassDevs);
  Lookup(binding.setupLibrary, "SetupDiEnumDeviceInterfaces", &binding.setup.enumInterfaces);
  Lookup(binding.setupLibrary, "SetupDiGetDeviceInterfaceDetailA",
         &binding.setup.getInterfaceDetail);
  Lookup(binding.setupLibrary, "SetupDiDestroyDeviceInfoList", &binding.setup.destroyList);

  // Auto-reset, not signalled, unnamed. Should it fail, every HID transfer
  // fails rather than running without a way to wait for it.
  binding.ioEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  binding.bound = true;
  return BindStatus::kBound;
}

void Win32HidPort::Unbind() {
  CloseBinding(*binding_);
}

std::unique_ptr<InterfaceListPort> Win32HidPort::ListInterfaces() {
  const Binding& binding = *binding_;
  if (!binding.bound) {
    SetNotBound();
    return nullptr;
  }
  GUID hidClass{};
  binding.getHidGuid(&hidClass);
  return Win32InterfaceList::Open(binding.setup, hidClass);
}

std::unique_ptr<HidDevicePort> Win32HidPort::Open(const std::string& path) {
  Binding& binding = *binding_;
  if (!binding.bound) {
    SetNotBound();
    return nullptr;
  }
  HANDLE device =
      CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (device == INVALID_HANDLE_VALUE) return nullptr;
  binding.setNumInputBuffers(device, kInputReportBuffers);
  return std::make_unique<Win32HidDevice>(device, binding);
}

}  // namespace quill
