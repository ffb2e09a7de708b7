// Operating-system services the token library needs, as small interfaces.
//
// The library's logic (tables, discovery, transfers, exchange) is written
// against these interfaces only. Each platform supplies one implementation in
// its own folder under ports/: win32 (the Windows API), linux (hidraw, SG_IO,
// flock), virtual (loopback virtual tokens, joined to the platform's own
// enumerations) and fake (in-memory, scripted, for tests).
//
// The shapes follow the Windows services the library was first written for:
// an operating-system "last error" value that each step leaves behind, device
// interface lists that are walked by member index, overlapped reads and
// writes with a bounded wait. Other platforms translate to these shapes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quill {

// Last-error values (Windows numbering) that the library interprets. Ports of
// other platforms report these values for the same conditions.
constexpr uint32_t kOsErrorSuccess = 0;
constexpr uint32_t kOsErrorNoMoreItems = 259;          // end of an interface list
constexpr uint32_t kOsErrorDeviceNotConnected = 1167;  // the device has vanished
constexpr uint32_t kOsErrorTimeout = 1460;             // a wait ran out
constexpr uint32_t kOsErrorGenFailure = 31;            // any other device failure

// The thread's last-error value: captured by the error store at every update.
class OsErrorPort {
 public:
  virtual ~OsErrorPort() = default;
  virtual uint32_t Get() = 0;
  virtual void Set(uint32_t value) = 0;
};

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  // Current system time as a count of 100-nanosecond intervals since 1601-01-01 UTC.
  virtual uint64_t FileTimeNow() = 0;
  virtual void SleepMs(uint32_t milliseconds) = 0;
};

// The lock that keeps exchanges of different processes from interleaving.
class ExchangeLockPort {
 public:
  virtual ~ExchangeLockPort() = default;
  // Opens or creates the lock object; false when that failed (the caller goes
  // on without the lock and tries again at its next command).
  virtual bool Create() = 0;
  // Waits at most timeoutMs; true when the lock is now held (an abandoned lock
  // counts as obtained).
  virtual bool Wait(uint32_t timeoutMs) = 0;
  virtual void Release() = 0;
};

// One device interface class, walked by member index 0, 1, 2, ...
class InterfaceListPort {
 public:
  virtual ~InterfaceListPort() = default;
  // False when there is no member at index; the last-error value says why
  // (kOsErrorNoMoreItems at the end of the list).
  virtual bool Enumerate(uint32_t index) = 0;
  // The interface path of member index; false when it cannot be read.
  virtual bool Detail(uint32_t index, std::string* path) = 0;
};

enum class IoStatus {
  kOk,       // the request completed (the byte count says how much moved)
  kTimeout,  // the wait ran out; the request was cancelled
  kFailed,   // the request or its wait failed; the request was cancelled
};

// One opened HID device. Reports are 249 bytes: report id, then 248 bytes.
class HidDevicePort {
 public:
  virtual ~HidDevicePort() = default;
  virtual bool GetAttributes(uint16_t* vendorId, uint16_t* productId) = 0;
  // Discards input reports that are already waiting, without blocking.
  virtual bool FlushQueue() = 0;
  virtual IoStatus Write(const uint8_t* report, size_t length, uint32_t waitMs,
                         size_t* written) = 0;
  virtual IoStatus Read(uint8_t* report, size_t length, uint32_t waitMs, size_t* received) = 0;
};

// Result of loading the HID and device-setup services.
enum class BindStatus {
  kBound = 0,
  kHidLibraryMissing = 1,
  kSetupLibraryMissing = 2,
  kHidFunctionMissing = 3,
  kSetupFunctionMissing = 4,
  kNoSystemDirectory = 5,
};

class HidPort {
 public:
  virtual ~HidPort() = default;
  virtual BindStatus Bind() = 0;
  virtual void Unbind() = 0;
  // The present HID interfaces; nullptr when the list cannot be obtained.
  virtual std::unique_ptr<InterfaceListPort> ListInterfaces() = 0;
  // Opens a device for reading and writing; nullptr on failure.
  virtual std::unique_ptr<HidDevicePort> Open(const std::string& path) = 0;
};

enum class ScsiDirection { kDataOut = 0, kDataIn = 1 };

// Outcome of one vendor pass-through request (CDB 0xFF 00 .. 00, 10 bytes).
enum class PassThroughStatus {
  kOk = 0,
  kWaitTimeout = 1,         // the wait for completion ran out
  kWaitFailed = 2,          // the wait failed
  kScsiError = 3,           // the device returned a SCSI status other than 0
  kNothingTransferred = 4,  // the request completed with a byte count of 0
  kRequestFailed = 5,       // the request could not be issued
};

// One opened CD-ROM-class device (the token's storage face).
class StorageDevicePort {
 public:
  virtual ~StorageDevicePort() = default;
  // One pass-through request moving length bytes in the given direction. The
  // device itself is given a 5-second timeout; the caller waits waitMs.
  virtual PassThroughStatus PassThrough(ScsiDirection direction, uint8_t* data, size_t length,
                                        uint32_t waitMs) = 0;
};

class StoragePort {
 public:
  virtual ~StoragePort() = default;
  // The present CD-ROM-class interfaces; nullptr when the list cannot be obtained.
  virtual std::unique_ptr<InterfaceListPort> ListInterfaces() = 0;
  virtual std::unique_ptr<StorageDevicePort> Open(const std::string& path) = 0;
};

// Told when a discovery starts, before any enumeration (sources of devices that
// must be connected afresh at each discovery, such as virtual tokens, use it).
class DiscoveryObserverPort {
 public:
  virtual ~DiscoveryObserverPort() = default;
  virtual void BeginDiscovery() = 0;
};

// Everything the library uses of the platform. Not owned by the library.
struct Platform {
  OsErrorPort* osError = nullptr;
  ClockPort* clock = nullptr;
  ExchangeLockPort* lock = nullptr;
  HidPort* hid = nullptr;
  StoragePort* storage = nullptr;
  DiscoveryObserverPort* discovery = nullptr;  // may be null
};

// The platform this build runs on (native ports joined with the virtual tokens
// that the configuration names). Defined once per platform folder.
Platform& NativePlatform();

}  // namespace quill
