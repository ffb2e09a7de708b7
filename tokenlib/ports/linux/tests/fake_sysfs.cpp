#include "fake_sysfs.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace quill {
namespace testing {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  return remove(path);
}

std::string Parent(const std::string& path) {
  return path.substr(0, path.rfind('/'));
}

}  // namespace

TempTree::TempTree() {
  std::string pattern = "/tmp/quill-linux-port-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = buffer.data();
}

TempTree::~TempTree() {
  nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void TempTree::MakeDirs(const std::string& relative) const {
  std::string path = root_;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    path += "/" + relative.substr(start, end - start);
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
      throw std::runtime_error("mkdir failed: " + path);
    }
    start = end + 1;
  }
}

void TempTree::WriteFile(const std::string& relative, const std::string& content) const {
  if (relative.find('/') != std::string::npos) MakeDirs(Parent(relative));
  std::ofstream file(Path(relative), std::ios::binary | std::ios::trunc);
  file << content;
  if (!file) throw std::runtime_error("write failed: " + relative);
}

void TempTree::Symlink(const std::string& target, const std::string& relative) const {
  if (relative.find('/') != std::string::npos) MakeDirs(Parent(relative));
  if (symlink(target.c_str(), Path(relative).c_str()) != 0) {
    throw std::runtime_error("symlink failed: " + relative);
  }
}

void FakeSystem::AddHidraw(unsigned number, const std::string& hidId) const {
  const std::string name = "hidraw" + std::to_string(number);
  std::string uevent = "DRIVER=hid-generic\n";
  if (!hidId.empty()) uevent += "HID_ID=" + hidId + "\n";
  uevent += "HID_NAME=Test device\nHID_PHYS=usb-0000:00:14.0-1/input0\nMODALIAS=hid:b0003\n";
  tree_.WriteFile("sys/class/hidraw/" + name + "/device/uevent", uevent);
  tree_.WriteFile("dev/" + name, "");
}

void FakeSystem::AddScsiGeneric(unsigned number, const std::string& type, const UsbParent* usb,
                                const std::string& model) const {
  const std::string n = std::to_string(number);
  const std::string scsiPath =
      "host" + n + "/target" + n + ":0:0/" + n + ":0:0:0";  // below the adapter
  std::string device;
  if (usb != nullptr) {
    const std::string usbDevice = "devices/pci0000:00/0000:00:14.0/usb1/1-" + n;
    tree_.WriteFile("sys/" + usbDevice + "/idVendor", usb->idVendor + "\n");
    tree_.WriteFile("sys/" + usbDevice + "/idProduct", usb->idProduct + "\n");
    if (!usb->serial.empty()) tree_.WriteFile("sys/" + usbDevice + "/serial", usb->serial + "\n");
    device = usbDevice + "/1-" + n + ":1.0/" + scsiPath;
  } else {
    device = "devices/pci0000:00/0000:00:17.0/ata" + n + "/" + scsiPath;
  }
  tree_.WriteFile("sys/" + device + "/type", type + "\n");
  tree_.WriteFile("sys/" + device + "/vendor", "Quill   \n");
  tree_.WriteFile("sys/" + device + "/model", model + "\n");
  // From sys/class/scsi_generic/sgN, three levels up is sys/.
  tree_.Symlink("../../../" + device, "sys/class/scsi_generic/sg" + n + "/device");
  tree_.WriteFile("dev/sg" + n, "");
}

}  // namespace testing
}  // namespace quill
