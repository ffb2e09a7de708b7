#include "sg_storage_port.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "device_listing.h"
#include "linux_system.h"

namespace quill {
namespace {

constexpr char kNodePrefix[] = "sg";
constexpr char kCdromType[] = "5";
constexpr unsigned kCdbLength = 10;
constexpr uint8_t kVendorOperation = 0xFF;
constexpr unsigned kSenseLength = 32;
constexpr unsigned kDeviceTimeoutMs = 5000;

// host_status and driver_status values of the SCSI midlayer.
constexpr unsigned kHostNoConnect = 0x01;
constexpr unsigned kHostTimeOut = 0x03;
constexpr unsigned kHostBadTarget = 0x04;
constexpr unsigned kDriverByteMask = 0x0F;
constexpr unsigned kDriverTimeout = 0x06;
constexpr unsigned kDriverSense = 0x08;

// Free-text parts of a path: no separators, at most maxLength characters.
std::string PathPart(const std::string& text, size_t maxLength) {
  std::string part;
  for (char c : text) {
    if (part.size() == maxLength) break;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    part.push_back(plain ? c : '_');
  }
  return part.empty() ? "_" : part;
}

std::string ParentDir(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool RealPath(const std::string& path, std::string* resolved) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) == nullptr) return false;
  *resolved = buffer;
  return true;
}

// The closest directory above device (inside root) that describes a USB
// device; "" when there is none.
std::string UsbDeviceDir(const std::string& device, const std::string& root) {
  std::string dir = device;
  while (dir.size() > root.size() && dir.compare(0, root.size(), root) == 0) {
    if (FileExists(dir + "/idVendor") && FileExists(dir + "/idProduct")) return dir;
    dir = ParentDir(dir);
  }
  return "";
}

}  // namespace

PassThroughStatus ClassifySgCompletion(const sg_io_hdr_t& request, OsErrorPort& osError) {
  const unsigned driverByte = request.driver_status & kDriverByteMask;
  if (request.host_status == kHostTimeOut || driverByte == kDriverTimeout) {
    osError.Set(kOsErrorTimeout);
    return PassThroughStatus::kWaitTimeout;
  }
  if (request.host_status == kHostNoConnect || request.host_status == kHostBadTarget) {
    osError.Set(kOsErrorDeviceNotConnected);
    return PassThroughStatus::kRequestFailed;
  }
  if (request.host_status != 0 || (driverByte != 0 && driverByte != kDriverSense)) {
    osError.Set(kOsErrorGenFailure);
    return PassThroughStatus::kRequestFailed;
  }
  if (request.status != 0) {
    osError.Set(kOsErrorGenFailure);
    return PassThroughStatus::kScsiError;
  }
  if (request.dxfer_direction == SG_DXFER_FROM_DEV && request.dxfer_len > 0 &&
      request.resid >= static_cast<int>(request.dxfer_len)) {
    osError.Set(kOsErrorGenFailure);
    return PassThroughStatus::kNothingTransferred;
  }
  osError.Set(kOsErrorSuccess);
  return PassThroughStatus::kOk;
}

SgStorageDevice::SgStorageDevice(int fd, OsErrorPort& osError) : fd_(fd), osError_(osError) {}

SgStorageDevice::~SgStorageDevice() {
  close(fd_);
}

PassThroughStatus SgStorageDevice::PassThrough(ScsiDirection direction, uint8_t* data,
                                               size_t length, uint32_t /*waitMs*/) {
  if (length > UINT_MAX) {
    osError_.Set(kOsErrorGenFailure);
    return PassThroughStatus::kRequestFailed;
  }
  uint8_t cdb[kCdbLength] = {kVendorOperation};
  uint8_t sense[kSenseLength] = {};
  sg_io_hdr_t request{};
  request.interface_id = 'S';
  request.cmd_len = kCdbLength;
  request.cmdp = cdb;
  request.mx_sb_len = kSenseLength;
  request.sbp = sense;
  request.dxfer_direction =
      direction == ScsiDirection::kDataOut ? SG_DXFER_TO_DEV : SG_DXFER_FROM_DEV;
  request.dxfer_len = static_cast<unsigned>(length);
  request.dxferp = data;
  request.timeout = kDeviceTimeoutMs;
  if (ioctl(fd_, SG_IO, &request) < 0) {
    SetOsErrorFromErrno(osError_, errno);
    return PassThroughStatus::kRequestFailed;
  }
  return ClassifySgCompletion(request, osError_);
}

SgStoragePort::SgStoragePort(OsErrorPort& osError, std::string sysfsRoot, std::string devRoot)
    : osError_(osError), sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

std::string SgStoragePort::InterfacePath(unsigned number, const std::string& realRoot) const {
  const std::string name = kNodePrefix + std::to_string(number);
  const std::string classEntry = sysfsRoot_ + "/class/scsi_generic/" + name;
  std::string type;
  if (!ReadAttribute(classEntry + "/device/type", &type) || type != kCdromType) return "";
  std::string scsiDevice;
  if (!RealPath(classEntry + "/device", &scsiDevice)) return "";
  const std::string usbDevice = UsbDeviceDir(scsiDevice, realRoot);
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  if (usbDevice.empty() || !ReadHex16Attribute(usbDevice + "/idVendor", &vendorId) ||
      !ReadHex16Attribute(usbDevice + "/idProduct", &productId)) {
    return "";
  }
  std::string vendor;
  std::string model;
  std::string serial;
  ReadAttribute(scsiDevice + "/vendor", &vendor);
  ReadAttribute(scsiDevice + "/model", &model);
  // Without a serial number the USB port (bus and port chain) tells devices apart.
  if (!ReadAttribute(usbDevice + "/serial", &serial) || serial.empty())
    serial = BaseName(usbDevice);

  char usbIds[sizeof("vid_0000pid_0000")];
  std::snprintf(usbIds, sizeof(usbIds), "vid_%04xpid_%04x", vendorId, productId);
  return "\\\\?\\usbstor#cdrom&ven_" + PathPart(vendor, 8) + "&prod_" + PathPart(model, 16) + "#" +
         usbIds + "&" + PathPart(serial, 64) + "#" + name;
}

std::unique_ptr<InterfaceListPort> SgStoragePort::ListInterfaces() {
  std::vector<unsigned> numbers;
  if (!ListNumberedEntries(sysfsRoot_ + "/class/scsi_generic", kNodePrefix, &numbers)) {
    SetOsErrorFromErrno(osError_, errno);
    return nullptr;
  }
  std::vector<std::string> paths;
  std::string realRoot;
  if (!numbers.empty() && !RealPath(sysfsRoot_, &realRoot)) {
    SetOsErrorFromErrno(osError_, errno);
    return nullptr;
  }
  for (unsigned number : numbers) {
    std::string path = InterfacePath(number, realRoot);
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return std::make_unique<FixedInterfaceList>(std::move(paths), osError_);
}

std::unique_ptr<StorageDevicePort> SgStoragePort::Open(const std::string& path) {
  const size_t hash = path.rfind('#');
  unsigned number = 0;
  if (hash == std::string::npos ||
      !ParseNumberedName(path.substr(hash + 1), kNodePrefix, &number)) {
    osError_.Set(kOsErrorGenFailure);
    return nullptr;
  }
  const std::string node = devRoot_ + "/" + kNodePrefix + std::to_string(number);
  int fd;
  do {
    fd = open(node.c_str(), O_RDWR | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    SetOsErrorFromErrno(osError_, errno);
    return nullptr;
  }
  return std::make_unique<SgStorageDevice>(fd, osError_);
}

}  // namespace quill
