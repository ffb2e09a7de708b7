// HID devices through the hidraw driver.
//
// The interfaces are the nodes /dev/hidrawN, listed from sysfs in number
// order. hidraw has a fixed input queue per open file, so there is no input
// buffer count to set.
#pragma once

#include <string>

#include "platform.h"

namespace quill {

// One opened hidraw node. Reports travel with report id 0 in byte 0, as the
// library expects; see Read for devices whose reports carry no id.
class HidrawDevice : public HidDevicePort {
 public:
  // Takes ownership of fd and makes it non-blocking. sysfsDir is the node's
  // directory under class/hidraw (empty when unknown: no attributes then).
  HidrawDevice(int fd, std::string sysfsDir, OsErrorPort& osError);
  ~HidrawDevice() override;
  HidrawDevice(const HidrawDevice&) = delete;
  HidrawDevice& operator=(const HidrawDevice&) = delete;

  // From the HID_ID line of the device's uevent ("HID_ID=0003:000004B4:0000B328").
  bool GetAttributes(uint16_t* vendorId, uint16_t* productId) override;
  bool FlushQueue() override;
  IoStatus Write(const uint8_t* report, size_t length, uint32_t waitMs, size_t* written) override;
  // A device without numbered reports delivers its 248 report bytes without
  // the id; they are returned after a 0 id byte as one 249-byte report.
  IoStatus Read(uint8_t* report, size_t length, uint32_t waitMs, size_t* received) override;

 private:
  // kOk once the node is ready for events (or has an error to report), else
  // kTimeout or kFailed with the last-error value recorded.
  IoStatus WaitReady(short events, uint64_t deadlineUs);
  IoStatus Fail(int error);
  IoStatus TimedOut();

  int fd_;
  std::string sysfsDir_;
  OsErrorPort& osError_;
};

class HidrawPort : public HidPort {
 public:
  explicit HidrawPort(OsErrorPort& osError, std::string sysfsRoot = "/sys",
                      std::string devRoot = "/dev");

  // Nothing to load: hidraw is part of the kernel.
  BindStatus Bind() override { return BindStatus::kBound; }
  void Unbind() override {}
  std::unique_ptr<InterfaceListPort> ListInterfaces() override;
  std::unique_ptr<HidDevicePort> Open(const std::string& path) override;

 private:
  OsErrorPort& osError_;
  std::string sysfsRoot_;
  std::string devRoot_;
};

}  // namespace quill
