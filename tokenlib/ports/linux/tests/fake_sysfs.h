// A throw-away directory tree shaped like sysfs and /dev, for the port tests.
#pragma once

#include <string>

namespace quill {
namespace testing {

// A temporary directory, removed with everything in it on destruction.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  // Each creates missing parent directories.
  void MakeDirs(const std::string& relative) const;
  void WriteFile(const std::string& relative, const std::string& content) const;
  void Symlink(const std::string& target, const std::string& relative) const;

 private:
  std::string root_;
};

struct UsbParent {
  std::string idVendor;  // as sysfs shows it, e.g. "04b4"
  std::string idProduct;
  std::string serial;  // empty: no serial attribute
};

// sysfs below <root>/sys and device nodes (plain files) below <root>/dev.
class FakeSystem {
 public:
  std::string sysfsRoot() const { return tree_.Path("sys"); }
  std::string devRoot() const { return tree_.Path("dev"); }
  const TempTree& tree() const { return tree_; }

  // class/hidraw/hidrawN whose device uevent holds the given HID_ID value
  // (no HID_ID line when empty), and the node dev/hidrawN.
  void AddHidraw(unsigned number, const std::string& hidId) const;

  // class/scsi_generic/sgN linked like sysfs to a SCSI device of the given
  // type, below a USB device when usb is given, and the node dev/sgN.
  void AddScsiGeneric(unsigned number, const std::string& type, const UsbParent* usb,
                      const std::string& model = "Token CD") const;

 private:
  TempTree tree_;
};

}  // namespace testing
}  // namespace quill
