#include "hidraw_port.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include "device_listing.h"
#include "linux_system.h"

namespace quill {
namespace {

constexpr char kNodePrefix[] = "hidraw";
constexpr size_t kReportSize = 249;  // report id, then 248 bytes
constexpr size_t kFlushChunk = 4096;
// hidraw queues at most 64 reports per open file; a device that keeps
// sending must not hold the flush forever.
constexpr int kMaxFlushReads = 256;

std::string HidrawClassDir(const std::string& sysfsRoot) {
  return sysfsRoot + "/class/hidraw";
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Vendor and product of a uevent's "HID_ID=bus:vendor:product" line (hex).
bool ParseHidId(const std::string& uevent, uint16_t* vendorId, uint16_t* productId) {
  static const std::string kKey = "HID_ID=";
  size_t line = 0;
  while (line < uevent.size()) {
    size_t end = uevent.find('\n', line);
    if (end == std::string::npos) end = uevent.size();
    if (uevent.compare(line, kKey.size(), kKey) == 0) {
      const std::string value = uevent.substr(line + kKey.size(), end - line - kKey.size());
      const size_t first = value.find(':');
      const size_t second = first == std::string::npos ? first : value.find(':', first + 1);
      if (second == std::string::npos) return false;
      uint16_t vendor = 0;
      uint16_t product = 0;
      if (!ParseHex16(value.substr(first + 1, second - first - 1), &vendor) ||
          !ParseHex16(value.substr(second + 1), &product)) {
        return false;
      }
      *vendorId = vendor;
      *productId = product;
      return true;
    }
    line = end + 1;
  }
  return false;
}

}  // namespace

HidrawDevice::HidrawDevice(int fd, std::string sysfsDir, OsErrorPort& osError)
    : fd_(fd), sysfsDir_(std::move(sysfsDir)), osError_(osError) {
  const int flags = fcntl(fd_, F_GETFL);
  if (flags >= 0 && (flags & O_NONBLOCK) == 0) fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
}

HidrawDevice::~HidrawDevice() {
  close(fd_);
}

IoStatus HidrawDevice::Fail(int error) {
  SetOsErrorFromErrno(osError_, error);
  return IoStatus::kFailed;
}

IoStatus HidrawDevice::TimedOut() {
  osError_.Set(kOsErrorTimeout);
  return IoStatus::kTimeout;
}

bool HidrawDevice::GetAttributes(uint16_t* vendorId, uint16_t* productId) {
  if (sysfsDir_.empty()) {
    osError_.Set(kOsErrorGenFailure);
    return false;
  }
  std::string uevent;
  if (!ReadAttribute(sysfsDir_ + "/device/uevent", &uevent)) {
    SetOsErrorFromErrno(osError_, errno);
    return false;
  }
  if (!ParseHidId(uevent, vendorId, productId)) {
    osError_.Set(kOsErrorGenFailure);
    return false;
  }
  return true;
}

bool HidrawDevice::FlushQueue() {
  uint8_t discard[kFlushChunk];
  for (int reads = 0; reads < kMaxFlushReads; ++reads) {
    const ssize_t n = read(fd_, discard, sizeof(discard));
    if (n > 0) continue;
    if (n == 0) {  // end of file: the device is gone
      osError_.Set(kOsErrorDeviceNotConnected);
      return false;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
    if (errno == EINTR) continue;
    SetOsErrorFromErrno(osError_, errno);
    return false;
  }
  return true;
}

IoStatus HidrawDevice::WaitReady(short events, uint64_t deadlineUs) {
  for (;;) {
    const uint64_t now = MonotonicUs();
    // Rounded up: the wait lasts at least as long as asked.
    const uint64_t remainingMs = now >= deadlineUs ? 0 : (deadlineUs - now + 999) / 1000;
    const int remaining = static_cast<int>(std::min<uint64_t>(remainingMs, INT_MAX));
    pollfd entry{fd_, events, 0};
    const int ready = poll(&entry, 1, remaining);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    if (ready == 0) return TimedOut();
    if (entry.revents & POLLNVAL) return Fail(EBADF);
    // Readiness, or an error or hang-up that the next read or write reports.
    return IoStatus::kOk;
  }
}

IoStatus HidrawDevice::Write(const uint8_t* report, size_t length, uint32_t waitMs,
                             size_t* written) {
  *written = 0;
  const uint64_t deadline = MonotonicUs() + uint64_t{waitMs} * 1000;
  for (;;) {
    const IoStatus ready = WaitReady(POLLOUT, deadline);
    if (ready != IoStatus::kOk) return ready;
    const ssize_t n = write(fd_, report, length);
    if (n >= 0) {
      *written = static_cast<size_t>(n);
      return IoStatus::kOk;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return Fail(errno);
    if (MonotonicUs() >= deadline) return TimedOut();
  }
}

IoStatus HidrawDevice::Read(uint8_t* report, size_t length, uint32_t waitMs, size_t* received) {
  *received = 0;
  if (length == 0) return IoStatus::kOk;
  const uint64_t deadline = MonotonicUs() + uint64_t{waitMs} * 1000;
  for (;;) {
    const IoStatus ready = WaitReady(POLLIN, deadline);
    if (ready != IoStatus::kOk) return ready;
    const ssize_t n = read(fd_, report, length);
    if (n == 0) {  // end of file: the device is gone
      osError_.Set(kOsErrorDeviceNotConnected);
      return IoStatus::kFailed;
    }
    if (n < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return Fail(errno);
      if (MonotonicUs() >= deadline) return TimedOut();
      continue;
    }
    size_t count = static_cast<size_t>(n);
    if (length >= kReportSize && count == kReportSize - 1) {
      std::memmove(report + 1, report, count);
      report[0] = 0;
      count = kReportSize;
    }
    *received = count;
    return IoStatus::kOk;
  }
}

HidrawPort::HidrawPort(OsErrorPort& osError, std::string sysfsRoot, std::string devRoot)
    : osError_(osError), sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

std::unique_ptr<InterfaceListPort> HidrawPort::ListInterfaces() {
  std::vector<unsigned> numbers;
  if (!ListNumberedEntries(HidrawClassDir(sysfsRoot_), kNodePrefix, &numbers)) {
    SetOsErrorFromErrno(osError_, errno);
    return nullptr;
  }
  std::vector<std::string> paths;
  paths.reserve(numbers.size());
  for (unsigned number : numbers) {
    paths.push_back(devRoot_ + "/" + kNodePrefix + std::to_string(number));
  }
  return std::make_unique<FixedInterfaceList>(std::move(paths), osError_);
}

std::unique_ptr<HidDevicePort> HidrawPort::Open(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetOsErrorFromErrno(osError_, errno);
    return nullptr;
  }
  // The node's sysfs directory carries the same name as the node.
  const std::string name = BaseName(path);
  unsigned number = 0;
  std::string sysfsDir;
  if (ParseNumberedName(name, kNodePrefix, &number))
    sysfsDir = HidrawClassDir(sysfsRoot_) + "/" + name;
  return std::make_unique<HidrawDevice>(fd, std::move(sysfsDir), osError_);
}

}  // namespace quill
