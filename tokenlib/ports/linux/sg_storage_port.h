// The token's storage face through the SCSI generic driver.
//
// The interfaces are the CD-ROM-class SCSI devices that hang below a USB
// device, reached through their /dev/sgN nodes (the sg driver must be
// loaded). Their paths are built to carry the USB identifiers in the form
// "vid_04b4pid_b708" and end in "#sgN", which names the node to open.
// The vendor command is not on the kernel's list of commands open to every
// user, so the pass-through needs CAP_SYS_RAWIO.
#pragma once

#include <scsi/sg.h>

#include <string>

#include "platform.h"

namespace quill {

// The outcome of a completed SG_IO request, with the last-error value recorded.
PassThroughStatus ClassifySgCompletion(const sg_io_hdr_t& request, OsErrorPort& osError);

class SgStorageDevice : public StorageDevicePort {
 public:
  // Takes ownership of fd, an opened sg node.
  SgStorageDevice(int fd, OsErrorPort& osError);
  ~SgStorageDevice() override;
  SgStorageDevice(const SgStorageDevice&) = delete;
  SgStorageDevice& operator=(const SgStorageDevice&) = delete;

  // SG_IO returns only once the device answered or its 5-second timeout ran
  // out, so waitMs cannot shorten the wait; it is not used.
  PassThroughStatus PassThrough(ScsiDirection direction, uint8_t* data, size_t length,
                                uint32_t waitMs) override;

 private:
  int fd_;
  OsErrorPort& osError_;
};

class SgStoragePort : public StoragePort {
 public:
  explicit SgStoragePort(OsErrorPort& osError, std::string sysfsRoot = "/sys",
                         std::string devRoot = "/dev");

  std::unique_ptr<InterfaceListPort> ListInterfaces() override;
  // Opens <devRoot>/sgN for the path's trailing "#sgN".
  std::unique_ptr<StorageDevicePort> Open(const std::string& path) override;

 private:
  // The interface path of member sgN, or "" when it is no CD-ROM below a USB device.
  std::string InterfacePath(unsigned number, const std::string& realRoot) const;

  OsErrorPort& osError_;
  std::string sysfsRoot_;
  std::string devRoot_;
};

}  // namespace quill
